// Items left unprinted for more than five minutes by the server's clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checks/pending.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

const std::string kHifens(61, '-');
const std::string kAtrasados =
    "Select * from itemcomanda where (TIME_TO_SEC(TIMEDIFF(now(), datahora))/60) > 5 and "
    "impresso=0 and comanda in (select comanda from comanda) limit 1";

class ItensAtrasados : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        t.banco.observaSql([this](const std::string& s) {
            if (gravando) sqls.push_back(s);
        });
        // Prints the table as the kitchen-ticket printing would: marks its
        // unprinted items.
        t.ctx.procs.ImprimeCupom = [this](std::int32_t mesa) {
            chamadas.push_back("ImprimeCupom " + std::to_string(mesa) + " comanda " +
                               std::to_string(t.ctx.ComandaAtual));
            // Its own statements are not the check's.
            const bool antes = gravando;
            gravando = false;
            Executa("Update ItemComanda set impresso=1 where comanda in "
                    "(select comanda from comanda where mesa=" + std::to_string(mesa) + ")");
            gravando = antes;
        };
    }

    void Executa(const std::string& sql) {
        t.banco.AbreBanco(sql);
        t.banco.FechaBanco();
    }

    // An item launched `minutos` ago by the server's clock.
    void Item(int comanda, int minutos, int impresso = 0) {
        Executa("Insert into ItemComanda (Comanda, idProduto, qtde, valor, DataHora, impresso) "
                "values (" + std::to_string(comanda) + ", 1, 1, 10, now() - interval " +
                std::to_string(minutos) + " minute, " + std::to_string(impresso) + ")");
    }

    void Verifica() {
        sqls.clear();
        chamadas.clear();
        gravando = true;
        VerificaPendentes(t.ctx);
        gravando = false;
    }

    std::vector<std::string> Impressos() {
        return t.consulta("Select concat_ws(':', Comanda, impresso) as v from ItemComanda "
                          "order by idlanc",
                          "v");
    }

    ContextoTeste t;
    bool gravando = false;
    std::vector<std::string> sqls;
    std::vector<std::string> chamadas;
};

TEST_F(ItensAtrasados, ItemDeSeisMinutosImprimeAMesaSozinho) {
    Executa("Insert into Comanda (Comanda, Mesa, Status, Fechando) values "
            "(12, 4, 2, 'N'), (13, 5, 0, 'N'), (14, 6, 0, 'N')");
    Item(14, 30, 1);  // printed long ago
    Item(13, 4);      // not yet overdue
    Item(12, 6);

    Verifica();
    EXPECT_EQ(chamadas, (std::vector<std::string>{"ImprimeCupom 4 comanda 12"}));
    EXPECT_EQ(sqls, (std::vector<std::string>{
                        kAtrasados, "select fechando, mesa, comanda from comanda where comanda = 12",
                        "Update Comanda set Status=0 where comanda = 12"}));
    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{"Tempo da comanda excedido comanda 12",
                                        "Gerando impressão para mesa 4",
                                        "Finalizado a impressão da comanda 12 por tempo exedido",
                                        kHifens}));
    EXPECT_EQ(t.consulta("Select Status from Comanda where Comanda=12", "Status"),
              (std::vector<std::string>{"0"}));

    // The four-minute item is not due yet.
    Verifica();
    EXPECT_TRUE(chamadas.empty());
    EXPECT_EQ(sqls, (std::vector<std::string>{kAtrasados}));
    EXPECT_TRUE(t.novosEventos().empty());
    EXPECT_EQ(Impressos(), (std::vector<std::string>{"14:1", "13:0", "12:1"}));
}

TEST_F(ItensAtrasados, ComandaQueEstaFechandoVoltaAoStatus1) {
    Executa("Insert into Comanda (Comanda, Mesa, Status, Fechando) values (12, 4, 0, 'S')");
    Item(12, 8);

    Verifica();
    EXPECT_EQ(chamadas, (std::vector<std::string>{"ImprimeCupom 4 comanda 12"}));
    EXPECT_EQ(sqls.back(), "Update Comanda set Status=1 where comanda = 12");
    EXPECT_EQ(t.consulta("Select concat_ws(':', Status, Fechando) as v from Comanda", "v"),
              (std::vector<std::string>{"1:S"}));
}

TEST_F(ItensAtrasados, ItemDeComandaQueNaoExisteMaisNaoSeguraOsOutros) {
    Executa("Insert into Comanda (Comanda, Mesa, Status, Fechando) values (12, 4, 0, 'N')");
    Item(99, 40);  // its comanda is gone
    Item(12, 6);

    Verifica();
    EXPECT_EQ(chamadas, (std::vector<std::string>{"ImprimeCupom 4 comanda 12"}));
    EXPECT_EQ(t.novosEventos().front(), "Tempo da comanda excedido comanda 12");

    // Only the orphan is left: no print for table 0, no update, no line.
    Verifica();
    EXPECT_TRUE(chamadas.empty());
    EXPECT_EQ(sqls, (std::vector<std::string>{kAtrasados}));
    EXPECT_TRUE(t.novosEventos().empty());
    EXPECT_EQ(Impressos(), (std::vector<std::string>{"99:0", "12:1"}));
}

}  // namespace
}  // namespace varelo
