// The shared connection against the real server; and what the case files
// cannot show of the window's loading: the retries against a server that
// refuses the credentials of config.ini.
#include <gtest/gtest.h>


#include "app/monitor.h"
#include "base/errors.h"
#include "db/banco.h"
#include "tests/support/program_run.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

using namespace std::chrono_literals;

class BancoTeste : public ::testing::Test {
protected:
    void SetUp() override { ContextoTeste::LimpaBanco(); }
    ContextoTeste t;
};

// A NULL is told apart, and read as text it is an error, as is a column
// that is not there. (Three results at once and names in any letter case:
// the procedures' cases.)
TEST_F(BancoTeste, NuloEColunaInexistente) {
    t.executa("Insert into Produtos (codigo, descricao, descricao2) values (10,'Feijoada',Null)");
    Registros& rs = (t.banco.AbreBanco("Select descricao, descricao2 from produtos"), t.banco.rs());
    EXPECT_EQ(std::pair(rs.ehNulo("Descricao"), rs.ehNulo("DESCRICAO2")), std::pair(false, true));
    EXPECT_THROW(rs.texto("descricao2"), Erro);
    EXPECT_THROW(rs.campo("nao_existe"), Erro);
    t.banco.FechaBanco();
}

// A connection that the server closed (restart, wait_timeout, KILL) is
// opened again without a word at the start of the next unit of work;
// inside a unit it is a lost connection, the outage of the pause.
TEST_F(BancoTeste, ConexaoFechadaPeloServidorReabreNaProximaUnidade) {
    ContextoTeste outro;
    // KILL only marks the session: wait until the server has closed it.
    auto derruba = [&] {
        const std::string id = t.consulta("Select connection_id() as id", "id").at(0);
        outro.executa("Kill " + id);
        const std::string sessao = "Select count(*) as n from information_schema.processlist where id = " + id;
        ASSERT_TRUE(Aguarda([&] { return outro.consulta(sessao, "n") == std::vector<std::string>{"0"}; }, 10s));
    };
    derruba();
    t.novosEventos();
    t.banco.novaUnidade();
    EXPECT_EQ(t.consulta("Select 7 as n", "n"), std::vector<std::string>{"7"});
    EXPECT_TRUE(t.novosEventos().empty());

    derruba();
    try {
        t.banco.AbreBanco("Select 8");
        ADD_FAILURE() << "a statement on a killed connection went through";
    } catch (const ErroBanco& e) {
        EXPECT_TRUE(e.perdaDeConexao()) << e.estado() << " " << e.numero();
    }
    const auto eventos = t.novosEventos();
    ASSERT_EQ(eventos.size(), 2u);
    EXPECT_EQ(eventos[1], "Erro no banco de dados, reiniciando programa em 10 segundos");
}

// The server refuses the empty password of config.ini (present but empty:
// not the fixed one). The window stays and loading is tried again every ten
// seconds until the server takes it.
TEST_F(BancoTeste, SemBancoAJanelaFicaETentaDeNovoACadaDezSegundos) {
    AgendadorManual agendador;
    Monitor monitor{t.ctx, agendador};
    t.pasta.escreve("config.ini", "[Varelo]\nIPServidor=" + t.ctx.cfg.IPServidor +
                                      "\nDriver=MariaDB Unicode\nUsuario=root\nSenha=\nSite=www.restaurante.com.br\n");
    bool carregou = false;
    EXPECT_EQ(monitor.Form_Load([&] { carregou = true; }), Monitor::Carga::AguardandoBanco);
    EXPECT_EQ(t.ctx.cfg.credenciais.usuario, std::optional<std::string>("root"));
    EXPECT_EQ(t.ctx.cfg.credenciais.senha, std::optional<std::string>(""));
    EXPECT_EQ(t.ctx.cfg.Site, "www.restaurante.com.br");
    const auto eventos = t.novosEventos();
    ASSERT_EQ(eventos.size(), 2u);
    EXPECT_NE(eventos[0].find("Select * from config where variavel='LinhasInicio' "), std::string::npos);
    agendador.executa();
    EXPECT_FALSE(carregou);
    ASSERT_EQ(agendador.pendentes.size(), 1u);
    EXPECT_EQ(agendador.pendentes[0].first, std::chrono::milliseconds(10000));
    t.ctx.cfg.credenciais.senha.reset();
    agendador.executa();
    EXPECT_TRUE(carregou);
}

}  // namespace
}  // namespace varelo
