// Items left unprinted for more than five minutes by the server's clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checks/pending.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

using Linhas = std::vector<std::string>;

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
        // Prints the table as the kitchen ticket would: marks its unprinted
        // items, with statements that are not the check's.
        t.ctx.procs.ImprimeCupom = [this](std::int32_t mesa) {
            chamadas.push_back("ImprimeCupom " + std::to_string(mesa) + " comanda " +
                               std::to_string(t.ctx.varredura.ComandaAtual));
            gravando = false;
            Executa("Update ItemComanda set impresso=1 where comanda in "
                    "(select comanda from comanda where mesa=" + std::to_string(mesa) + ")");
            gravando = true;
            return true;
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

    ContextoTeste t;
    bool gravando = false;
    Linhas sqls;
    Linhas chamadas;
};

TEST_F(ItensAtrasados, UmaMesaPorVerificacaoSemOrfaosNemItensNoPrazo) {
    Executa("Insert into Comanda (Comanda, Mesa, Status, Fechando) values "
            "(12, 4, 2, 'N'), (13, 5, 0, 'N'), (14, 6, 0, 'N'), (15, 3, 0, 'S')");
    Item(99, 40);     // its comanda is gone: must not hold back the others
    Item(14, 30, 1);  // printed long ago
    Item(13, 4);      // not yet overdue
    Item(12, 8);      // older than 15's, so served first whatever order the server reads them in
    Item(15, 6);

    Verifica();
    EXPECT_EQ(chamadas, Linhas{"ImprimeCupom 4 comanda 12"});
    EXPECT_EQ(sqls, (Linhas{kAtrasados, "select fechando, mesa, comanda from comanda where comanda = 12",
                            "Update Comanda set Status=0 where comanda = 12"}));
    EXPECT_EQ(t.novosEventos(), (Linhas{"Tempo da comanda excedido comanda 12", "Gerando impressão para mesa 4",
                                        "Finalizado a impressão da comanda 12 por tempo exedido",
                                        std::string(61, '-')}));

    // A comanda that is closing goes back to Status 1.
    Verifica();
    EXPECT_EQ(chamadas, Linhas{"ImprimeCupom 3 comanda 15"});
    EXPECT_EQ(sqls.back(), "Update Comanda set Status=1 where comanda = 15");
    EXPECT_EQ(t.novosEventos().front(), "Tempo da comanda excedido comanda 15");

    // Left: the orphan, the four-minute item and the printed one. No print
    // (not even for table 0), no update, no line.
    Verifica();
    EXPECT_TRUE(chamadas.empty());
    EXPECT_EQ(sqls, Linhas{kAtrasados});
    EXPECT_TRUE(t.novosEventos().empty());
    EXPECT_EQ(t.consulta("Select concat_ws(':', Comanda, impresso) as v from ItemComanda order by idlanc", "v"),
              (Linhas{"99:0", "14:1", "13:0", "12:1", "15:1"}));
    EXPECT_EQ(t.consulta("Select concat_ws(':', Comanda, Status, Fechando) as v from Comanda order by Comanda", "v"),
              (Linhas{"12:0:N", "13:0:N", "14:0:N", "15:1:S"}));
}

}  // namespace
}  // namespace varelo
