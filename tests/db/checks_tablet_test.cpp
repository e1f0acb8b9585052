// Tablet requests queued in Comanda.Status: what is printed, the statements
// sent, the rows left behind and the event-list lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/errors.h"
#include "checks/tablet.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

const std::string kHifens(61, '-');
const std::string kHorarioSegunda12h =
    "Select * from Horarios where horainicial <= '2012/01/01 12:00:00' and horafinal >= "
    "'2012/01/01 12:00:00' and ativo=true and diaSemana = 'Segunda'";
const std::string kPedidosTablet = "Select * from Comanda where status in (2, 3) order by Comanda";

class PedidosTablet : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        t.banco.observaSql([this](const std::string& s) {
            if (gravando) sqls.push_back(s);
        });
        auto& p = t.ctx.procs;
        p.ImprimeCupom = [this](std::int32_t mesa) {
            chamadas.push_back("ImprimeCupom " + std::to_string(mesa) + " comanda " +
                               std::to_string(t.ctx.ComandaAtual));
            if (falhaImpressao) throw Erro("Impressora indisponível");
        };
        p.FechaConta = [this](std::int32_t comanda, const std::string& caminho) {
            chamadas.push_back("FechaConta " + std::to_string(comanda) + " [" + caminho +
                               "] comanda " + std::to_string(t.ctx.ComandaAtual));
            if (falhaBancoConta) throw ErroBanco(2013, "Lost connection to server");
        };
        p.ExportaProdutos = [this](const std::string& pasta) {
            chamadas.push_back("ExportaProdutos " + pasta);
        };
    }

    void Executa(const std::string& sql) {
        t.banco.AbreBanco(sql);
        t.banco.FechaBanco();
    }

    // One check; what it sent and printed is left in sqls and chamadas.
    void Verifica() {
        sqls.clear();
        chamadas.clear();
        gravando = true;
        VerificaTablet(t.ctx, t.pastaComandas());
        gravando = false;
    }

    std::vector<std::string> Comandas() {
        return t.consulta("Select concat_ws(':', Comanda, Status, Fechando) as v from Comanda "
                          "order by Comanda",
                          "v");
    }

    ContextoTeste t;
    bool gravando = false;
    bool falhaImpressao = false;
    bool falhaBancoConta = false;
    std::vector<std::string> sqls;
    std::vector<std::string> chamadas;
};

TEST_F(PedidosTablet, DoisPedidosSaoAtendidosEmDuasVerificacoesPelaMenorComanda) {
    Executa("Insert into Comanda (Comanda, Mesa, Status, Fechando) values "
            "(5, 8, 3, 'N'), (3, 7, 2, 'N'), (1, 2, 0, 'N'), (2, 4, 1, 'S')");

    Verifica();
    EXPECT_EQ(chamadas, (std::vector<std::string>{"ImprimeCupom 7 comanda 3"}));
    EXPECT_EQ(sqls, (std::vector<std::string>{kHorarioSegunda12h, kPedidosTablet,
                                              "Update Comanda set Status=0 where comanda = 3"}));
    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{"Gerando impressão para mesa 7",
                                        "Finalizado a impressão da mesa 7",
                                        "Status Mesa 7 Normal 0", kHifens}));
    EXPECT_EQ(Comandas(), (std::vector<std::string>{"1:0:N", "2:1:S", "3:0:N", "5:3:N"}));

    Verifica();
    EXPECT_EQ(chamadas, (std::vector<std::string>{"FechaConta 5 [] comanda 5"}));
    EXPECT_EQ(sqls, (std::vector<std::string>{
                        kHorarioSegunda12h, kPedidosTablet,
                        "Update Comanda set Status = 1, Fechando = 'S' where Comanda = 5"}));
    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{"Fechando a conta para comanda 5",
                                        "Atualizando status da comanda 5 como impresso",
                                        "Finalizado a impressão da conta da comanda 5", kHifens}));
    EXPECT_EQ(Comandas(), (std::vector<std::string>{"1:0:N", "2:1:S", "3:0:N", "5:1:S"}));

    // Nothing left to serve: no print, no line, no change.
    Verifica();
    EXPECT_TRUE(chamadas.empty());
    EXPECT_EQ(sqls, (std::vector<std::string>{kHorarioSegunda12h, kPedidosTablet}));
    EXPECT_TRUE(t.novosEventos().empty());
    EXPECT_EQ(Comandas(), (std::vector<std::string>{"1:0:N", "2:1:S", "3:0:N", "5:1:S"}));
}

TEST_F(PedidosTablet, ImpressaoDeComandaQueEstaFechandoTerminaComStatus1) {
    Executa("Insert into Comanda (Comanda, Mesa, Status, Fechando) values (6, 4, 2, 'S')");

    Verifica();
    EXPECT_EQ(chamadas, (std::vector<std::string>{"ImprimeCupom 4 comanda 6"}));
    EXPECT_EQ(sqls.back(), "Update Comanda set Status=1 where comanda = 6");
    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{"Gerando impressão para mesa 4",
                                        "Finalizado a impressão da mesa 4",
                                        "Status Mesa 4 é Fechando 1", kHifens}));
    EXPECT_EQ(Comandas(), (std::vector<std::string>{"6:1:S"}));
}

TEST_F(PedidosTablet, StatusDesconhecidoFicaComoEstaENaoSeguraOsOutros) {
    Executa("Insert into Comanda (Comanda, Mesa, Status, Fechando) values "
            "(1, 1, 4, 'N'), (2, 2, 9, 'S'), (9, 5, 2, 'N'), (10, 6, 3, 'N')");

    Verifica();
    EXPECT_EQ(chamadas, (std::vector<std::string>{"ImprimeCupom 5 comanda 9"}));
    Verifica();
    EXPECT_EQ(chamadas, (std::vector<std::string>{"FechaConta 10 [] comanda 10"}));
    Verifica();
    EXPECT_TRUE(chamadas.empty());
    EXPECT_EQ(Comandas(), (std::vector<std::string>{"1:4:N", "2:9:S", "9:0:N", "10:1:S"}));
}

TEST_F(PedidosTablet, FalhaDaImpressaoEhRegistradaEOStatusAindaVolta) {
    Executa("Insert into Comanda (Comanda, Mesa, Status, Fechando) values (3, 7, 2, 'N')");
    falhaImpressao = true;

    Verifica();
    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{"Gerando impressão para mesa 7", "Erro Verificacao Tablet",
                                        "Finalizado a impressão da mesa 7",
                                        "Status Mesa 7 Normal 0", kHifens}));
    EXPECT_EQ(Comandas(), (std::vector<std::string>{"3:0:N"}));
}

TEST_F(PedidosTablet, FalhaDoBancoNaContaNaoEhEngolida) {
    Executa("Insert into Comanda (Comanda, Mesa, Status, Fechando) values (5, 8, 3, 'N')");
    falhaBancoConta = true;

    EXPECT_THROW(Verifica(), ErroBanco);
    gravando = false;
    t.banco.abandona();
    EXPECT_EQ(t.novosEventos(), (std::vector<std::string>{"Fechando a conta para comanda 5"}));
    EXPECT_EQ(Comandas(), (std::vector<std::string>{"5:3:N"}));
}

TEST_F(PedidosTablet, ComandaAlemDoAlcanceDeComandaAtualAindaEhAtualizada) {
    Executa("Insert into Comanda (Comanda, Mesa, Status, Fechando) values (40000, 3, 2, 'N')");
    t.ctx.ComandaAtual = 17;

    Verifica();
    // ComandaAtual cannot hold the number: the failure is logged, the old
    // value stays, and the update still goes to the comanda that was served.
    EXPECT_EQ(chamadas, (std::vector<std::string>{"ImprimeCupom 3 comanda 17"}));
    EXPECT_EQ(sqls.back(), "Update Comanda set Status=0 where comanda = 40000");
    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{"Erro Verificacao Tablet", "Gerando impressão para mesa 3",
                                        "Finalizado a impressão da mesa 3",
                                        "Status Mesa 3 Normal 0", kHifens}));
    EXPECT_EQ(Comandas(), (std::vector<std::string>{"40000:0:N"}));
}

}  // namespace
}  // namespace varelo
