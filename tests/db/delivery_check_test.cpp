// Delivery print requests queued in Delivery.Comando: which one is served in
// each check, what is cleared, what is logged and how often.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "checks/delivery_check.h"
#include "printing/delivery_ticket.h"
#include "tests/support/test_context.h"
#include "transactions/scan.h"

namespace varelo {
namespace {

using Linhas = std::vector<std::string>;

Linhas operator+(Linhas a, const Linhas& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::string kSeparador(61, '-');

class PedidosDelivery : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        t.banco.observaSql([this](const std::string& sql) { enviados.push_back(sql); });
        t.ctx.procs.ImprimeDelivery = [this](std::int32_t p) { return !recusa && ImprimeDelivery(t.ctx, p); };
        Executa("Insert into Grupos (idgrupo, nome, Impressora, Impressoradelivery) values "
                "(1,'Pratos','cozinha','cozinha')");
        Executa("Insert into Produtos (codigo, descricao, idgrupo) values (10,'Feijoada Completa',1)");
    }

    void Executa(const std::string& sql) {
        t.banco.AbreBanco(sql);
        t.banco.FechaBanco();
    }

    // An order of one item with the given request value.
    void Pedido(int pedido, int comando) {
        const std::string n = std::to_string(pedido);
        Executa("Insert into Delivery (idpedido, idcliente, Comando) values (" + n + ",Null," +
                std::to_string(comando) + ")");
        Executa("Insert into iDelivery (idpedido, idproduto, Qtde, valor) values (" + n + ",10,1,10)");
    }

    void Verifica() {
        enviados.clear();
        VerificaDelivery(t.ctx, t.pastaComandas(), avisos);
    }

    Linhas Comandos() {
        return t.consulta("Select Comando from Delivery order by idpedido", "Comando");
    }

    // The lines of a ticket served by the check.
    Linhas Servido(int pedido) {
        const std::string n = std::to_string(pedido);
        const std::string item = t.consulta("Select idlanc from iDelivery where idpedido=" + n, "idlanc").at(0);
        return {"Gerando impressão para delivery " + n, "Imprimindo delivery " + n, "Impresso delivery " + item,
                "Fim da impressao delivery " + n, "Finalizado a impressão de delivery " + n, kSeparador};
    }

    ContextoTeste t;
    AvisosDelivery avisos;
    Linhas enviados;
    bool recusa = false;  // the ticket's printer refuses it
};

// A request whose ticket the printer refused stays, and is served at the
// next check once the printer takes it.
TEST_F(PedidosDelivery, PedidoRecusadoPelaImpressoraFicaParaAProximaVerificacao) {
    Pedido(4, 1);
    recusa = true;
    Verifica();
    EXPECT_EQ(Comandos(), Linhas{"1"});
    EXPECT_EQ(enviados.back().rfind("Update Delivery", 0), std::string::npos);
    recusa = false;
    Verifica();
    EXPECT_EQ(Comandos(), Linhas{"0"});
    EXPECT_EQ(t.documentos("cozinha").size(), 1u);
}

TEST_F(PedidosDelivery, UmPedido1PorVerificacaoEOsOutrosViramLinhaUmaVezPorValor) {
    // Requests 2 and 7 come first and must not hold back the request 1s.
    Pedido(2, 2);
    Pedido(3, 7);
    Pedido(4, 1);
    Pedido(5, 1);
    t.ctx.varredura.ComandaAtual = 42;
    t.novosEventos();
    const std::string kPendentes = "Select * from Delivery where Comando > 0 order by idPedido";
    const auto pedido2 = [](int comanda) {
        const std::string n = std::to_string(comanda);
        return Linhas{"Fechando a conta para comanda " + n, "Finalizado a impressão da conta da comanda " + n,
                      kSeparador};
    };

    Verifica();
    EXPECT_EQ(enviados.front(), kPendentes);
    EXPECT_EQ(enviados.back(), "Update Delivery set Comando=0 where idpedido = 4");
    EXPECT_EQ(t.novosEventos(), pedido2(42) + Linhas{kSeparador} + Servido(4));
    EXPECT_EQ(Comandos(), (Linhas{"2", "7", "0", "1"}));

    // The next request 1 is served; the others, pending and unchanged, are
    // not logged again.
    Verifica();
    EXPECT_EQ(t.novosEventos(), Servido(5));
    EXPECT_EQ(Comandos(), (Linhas{"2", "7", "0", "0"}));
    EXPECT_EQ(t.documentos("cozinha").size(), 2u);

    // A changed value is news once more; so is one that went and came back.
    Executa("Update Delivery set Comando=2 where idpedido=3");
    Executa("Update Delivery set Comando=0 where idpedido=2");
    t.ctx.varredura.ComandaAtual = 9;
    Verifica();
    EXPECT_EQ(t.novosEventos(), pedido2(9));
    Executa("Update Delivery set Comando=2 where idpedido=2");
    Verifica();
    EXPECT_EQ(t.novosEventos(), pedido2(9));

    // Nothing to serve or report: only the query.
    Verifica();
    EXPECT_EQ(enviados, Linhas{kPendentes});
    EXPECT_TRUE(t.novosEventos().empty());
}

// In one scan the order of a PRINTD file is printed first, and then the
// check still serves the database's request 1 on a ticket of its own.
TEST_F(PedidosDelivery, AVarreduraImprimeOPedidoDoArquivoEDepoisODoBanco) {
    t.ctx.procs.ImprimeDelivery = [this](std::int32_t p) { return ImprimeDelivery(t.ctx, p); };
    t.ctx.procs.VerificaDelivery = [this](const std::string& pasta) { VerificaDelivery(t.ctx, pasta, avisos); };
    t.ctx.cfg.AutoImpressao = false;
    Pedido(8, 0);
    Pedido(11, 1);
    t.pedido("PRINTD8.txt", "");
    t.novosEventos();

    VarreDirs(t.ctx);
    const auto eventos = t.novosEventos();
    const auto fim8 = std::find(eventos.begin(), eventos.end(), "Fim da impressao delivery 8");
    EXPECT_NE(std::find(fim8, eventos.end(), "Gerando impressão para delivery 11"), eventos.end());
    EXPECT_EQ(Comandos(), (Linhas{"0", "0"}));
    EXPECT_EQ(t.documentos("cozinha").size(), 2u);
}

}  // namespace
}  // namespace varelo
