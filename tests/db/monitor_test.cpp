// What the case files cannot show of the window's loading: the retries
// against a server that refuses the credentials of config.ini.
#include <gtest/gtest.h>

#include "app/monitor.h"
#include "app/startup_settings.h"
#include "base/ini.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

class MonitorTeste : public ::testing::Test {
protected:
    void SetUp() override { ContextoTeste::LimpaBanco(); }

    ContextoTeste t;
    AgendadorManual agendador;
    Monitor monitor{t.ctx, agendador};
};

// The server refuses the empty password of config.ini (present but empty:
// not the fixed one). The window stays and loading is tried again every ten
// seconds until the server takes it.
TEST_F(MonitorTeste, SemBancoAJanelaFicaETentaDeNovoACadaDezSegundos) {
    const std::string ini = CaminhoConfigIni(t.ctx);
    for (const auto& [chave, valor] : std::vector<std::pair<std::string, std::string>>{
             {"IPServidor", t.ctx.cfg.IPServidor}, {"Driver", "MariaDB Unicode"}, {"Usuario", "root"},
             {"Senha", ""}, {"Site", "www.restaurante.com.br"}})
        GravaIni("Varelo", chave, valor, ini);
    bool carregou = false;
    EXPECT_EQ(monitor.Form_Load([&] { carregou = true; }), Monitor::Carga::AguardandoBanco);
    EXPECT_EQ(t.ctx.cfg.credenciais.usuario, std::optional<std::string>("root"));
    EXPECT_EQ(t.ctx.cfg.credenciais.senha, std::optional<std::string>(""));
    EXPECT_EQ(t.ctx.cfg.Site, "www.restaurante.com.br");
    const auto eventos = t.novosEventos();
    ASSERT_EQ(eventos.size(), 2u);
    EXPECT_EQ(eventos[0].rfind("Erro abrindo banco: ", 0), 0u);
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
