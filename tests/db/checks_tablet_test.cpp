// Tablet requests queued in Comanda.Status: what is printed, the statements
// sent, the rows left behind and the event-list lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/errors.h"
#include "checks/tablet.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

using Linhas = std::vector<std::string>;

const std::string kHifens(61, '-');
const std::string kHorarioSegunda12h =
    "Select * from Horarios where horainicial <= '2012/01/01 12:00:00' and horafinal >= "
    "'2012/01/01 12:00:00' and ativo=true and diaSemana = 'Segunda'";
const std::string kPedidosTablet = "Select * from Comanda where status in (2, 3) order by Comanda";

class PedidosTablet : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        t.banco.observaSql([this](const std::string& s) { sqls.push_back(s); });
        t.ctx.procs.ImprimeCupom = [this](std::int32_t mesa) {
            chamadas.push_back("ImprimeCupom " + std::to_string(mesa) + " comanda " +
                               std::to_string(t.ctx.varredura.ComandaAtual));
            if (mesa == mesaQueFalha) throw Erro("Impressora indisponível");
            return !recusaImpressao;
        };
        t.ctx.procs.FechaConta = [this](std::int32_t comanda, const std::string& caminho,
                                        const std::string& marca) {
            chamadas.push_back("FechaConta " + std::to_string(comanda) + " [" + caminho + "] comanda " +
                               std::to_string(t.ctx.varredura.ComandaAtual));
            marcaDaConta = marca;
            if (falhaBancoConta) throw ErroBanco(2013, "Lost connection to server", "08S01");
            return resultadoConta;
        };
    }

    // Comanda rows as "Comanda, Mesa, Status, Fechando" tuples.
    void Insere(const std::string& valores) {
        t.banco.AbreBanco("Insert into Comanda (Comanda, Mesa, Status, Fechando) values " + valores);
        t.banco.FechaBanco();
    }

    // One check; what it sent and printed is left in sqls and chamadas.
    void Verifica() {
        sqls.clear();
        chamadas.clear();
        VerificaTablet(t.ctx, t.pastaComandas());
    }

    Linhas Comandas() {
        return t.consulta("Select concat_ws(':', Comanda, Status, Fechando) as v from Comanda order by Comanda", "v");
    }

    ContextoTeste t;
    std::int32_t mesaQueFalha = -1;  // its print throws
    bool falhaBancoConta = false;
    bool recusaImpressao = false;                   // the printer refuses the tickets
    ResultadoConta resultadoConta = ResultadoConta::NaoImpressa;
    std::string marcaDaConta;
    Linhas sqls;
    Linhas chamadas;
};

TEST_F(PedidosTablet, UmPedidoPorVerificacaoPelaMenorComandaSoDeStatus2E3) {
    // Statuses 4 and 9 are unknown: left as they are, and they must not hold
    // back the requests of higher comandas.
    Insere("(5, 8, 3, 'N'), (3, 7, 2, 'N'), (6, 4, 2, 'S'), (1, 1, 4, 'N'), (2, 2, 9, 'S'), "
           "(4, 6, 0, 'N'), (7, 5, 1, 'S'), (40000, 9, 2, 'N')");
    mesaQueFalha = 7;
    struct Passo {
        Linhas chamadas, atualizacao, eventos;
    };
    const std::vector<Passo> passos = {
        // A failed print is logged and the status still goes back.
        {{"ImprimeCupom 7 comanda 3"}, {"Update Comanda set Status=0 where comanda = 3"},
         {"Gerando impressão para mesa 7", "Erro Verificacao Tablet", "Finalizado a impressão da mesa 7",
          "Status Mesa 7 Normal 0", kHifens}},
        {{"FechaConta 5 [] comanda 5"}, {"Update Comanda set Status = 1, Fechando = 'S' where Comanda = 5"},
         {"Fechando a conta para comanda 5", "Atualizando status da comanda 5 como impresso",
          "Finalizado a impressão da conta da comanda 5", kHifens}},
        {{"ImprimeCupom 4 comanda 6"}, {"Update Comanda set Status=1 where comanda = 6"},
         {"Gerando impressão para mesa 4", "Finalizado a impressão da mesa 4", "Status Mesa 4 é Fechando 1",
          kHifens}},
        // ComandaAtual cannot hold 40000: the failure is logged, the old value
        // stays, and the update still goes to the comanda that was served.
        {{"ImprimeCupom 9 comanda 6"}, {"Update Comanda set Status=0 where comanda = 40000"},
         {"Erro Verificacao Tablet", "Gerando impressão para mesa 9", "Finalizado a impressão da mesa 9",
          "Status Mesa 9 Normal 0", kHifens}},
        {{}, {}, {}},  // nothing left to serve
    };
    for (std::size_t i = 0; i < passos.size(); ++i) {
        SCOPED_TRACE("check " + std::to_string(i + 1));
        Verifica();
        EXPECT_EQ(chamadas, passos[i].chamadas);
        Linhas esperados = {kHorarioSegunda12h, kPedidosTablet};
        esperados.insert(esperados.end(), passos[i].atualizacao.begin(), passos[i].atualizacao.end());
        EXPECT_EQ(sqls, esperados);
        EXPECT_EQ(t.novosEventos(), passos[i].eventos);
    }
    EXPECT_EQ(Comandas(),
              (Linhas{"1:4:N", "2:9:S", "3:0:N", "4:0:N", "5:1:S", "6:1:S", "7:1:S", "40000:0:N"}));
}

TEST_F(PedidosTablet, FalhaDoBancoNaContaNaoEhEngolida) {
    Insere("(5, 8, 3, 'N')");
    falhaBancoConta = true;
    EXPECT_THROW(Verifica(), ErroBanco);
    t.banco.abandona();
    EXPECT_EQ(t.novosEventos(), Linhas{"Fechando a conta para comanda 5"});
    EXPECT_EQ(Comandas(), Linhas{"5:3:N"});
}

}  // namespace
}  // namespace varelo
