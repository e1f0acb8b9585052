// Delivery print requests queued in Delivery.Comando: which one is served in
// each check, what is cleared, what is logged and how often.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "checks/delivery_check.h"
#include "printing/delivery_ticket.h"
#include "transactions/scan.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;

const std::string kSeparador(61, '-');

class PedidosDelivery : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        t.ctx.cfg.LinhaFim = 0;
        t.banco.observaSql([this](const std::string& sql) { enviados.push_back(sql); });
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

    std::vector<std::string> Comandos() {
        return t.consulta("Select Comando from Delivery order by idpedido", "Comando");
    }

    std::vector<std::string> Servido(int pedido) {
        const std::string n = std::to_string(pedido);
        return {"Gerando impressão para delivery " + n, "Imprimindo delivery " + n,
                "Impresso delivery " + ImpressoDe(pedido), "Fim da impressao delivery " + n,
                "Finalizado a impressão de delivery " + n, kSeparador};
    }

    std::string ImpressoDe(int pedido) {
        return t.consulta("Select idlanc from iDelivery where idpedido=" + std::to_string(pedido), "idlanc")
            .at(0);
    }

    std::size_t Bilhetes() {
        std::size_t n = 0;
        for (const auto& e : fs::directory_iterator(t.pasta.arquivo("impressoras/cozinha")))
            n += e.path().extension() == ".txt";
        return n;
    }

    ContextoTeste t;
    AvisosDelivery avisos;
    std::vector<std::string> enviados;
};

TEST_F(PedidosDelivery, DoisPedidosSaoAtendidosEmDuasVerificacoes) {
    Pedido(3, 1);
    Pedido(5, 1);
    t.novosEventos();

    Verifica();
    EXPECT_EQ(enviados.front(), "Select * from Delivery where Comando > 0 order by idPedido");
    EXPECT_EQ(enviados.back(), "Update Delivery set Comando=0 where idpedido = 3");
    EXPECT_EQ(t.novosEventos(), Servido(3));
    EXPECT_EQ(Comandos(), (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(Bilhetes(), 1u);

    Verifica();
    EXPECT_EQ(t.novosEventos(), Servido(5));
    EXPECT_EQ(Comandos(), (std::vector<std::string>{"0", "0"}));
    EXPECT_EQ(Bilhetes(), 2u);

    // Nothing pending: only the query, nothing logged.
    Verifica();
    EXPECT_EQ(enviados, (std::vector<std::string>{"Select * from Delivery where Comando > 0 order by idPedido"}));
    EXPECT_TRUE(t.novosEventos().empty());
}

TEST_F(PedidosDelivery, PedidosDoisETresNaoSeguramOPedidoUmEViramLinhaUmaSoVez) {
    Pedido(2, 2);
    Pedido(3, 7);
    Pedido(4, 1);
    t.ctx.ComandaAtual = 42;
    t.novosEventos();

    Verifica();
    std::vector<std::string> esperado = {"Fechando a conta para comanda 42",
                                         "Finalizado a impressão da conta da comanda 42", kSeparador,
                                         kSeparador};
    for (const auto& linha : Servido(4)) esperado.push_back(linha);
    EXPECT_EQ(t.novosEventos(), esperado);
    EXPECT_EQ(Comandos(), (std::vector<std::string>{"2", "7", "0"}));
    EXPECT_EQ(Bilhetes(), 1u);

    // Still pending and unchanged: not logged again, and a later request 1
    // is served at once.
    Verifica();
    EXPECT_TRUE(t.novosEventos().empty());
    Pedido(6, 1);
    Verifica();
    EXPECT_EQ(t.novosEventos(), Servido(6));
    EXPECT_EQ(Comandos(), (std::vector<std::string>{"2", "7", "0", "0"}));

    // A changed value is news once more; so is one that went and came back.
    Executa("Update Delivery set Comando=2 where idpedido=3");
    Executa("Update Delivery set Comando=0 where idpedido=2");
    t.ctx.ComandaAtual = 9;
    Verifica();
    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{"Fechando a conta para comanda 9",
                                        "Finalizado a impressão da conta da comanda 9", kSeparador}));
    Executa("Update Delivery set Comando=2 where idpedido=2");
    Verifica();
    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{"Fechando a conta para comanda 9",
                                        "Finalizado a impressão da conta da comanda 9", kSeparador}));
    Verifica();
    EXPECT_TRUE(t.novosEventos().empty());
    EXPECT_EQ(Comandos(), (std::vector<std::string>{"2", "2", "0", "0"}));
    EXPECT_EQ(Bilhetes(), 2u);
}

TEST_F(PedidosDelivery, AVarreduraImprimeOPedidoDoArquivoEODoBanco) {
    // Connected as the program connects them.
    t.ctx.procs.ImprimeDelivery = [this](std::int32_t p) { ImprimeDelivery(t.ctx, p); };
    t.ctx.procs.VerificaDelivery = [this](const std::string& pasta) { VerificaDelivery(t.ctx, pasta, avisos); };
    t.ctx.cfg.AutoImpressao = false;
    Pedido(8, 0);
    Pedido(9, 2);
    Pedido(11, 1);
    t.pedido("PRINTD8.txt", "");
    t.novosEventos();

    VarreDirs(t.ctx);

    const auto eventos = t.novosEventos();
    const auto posicao = [&](const std::string& linha) {
        return std::find(eventos.begin(), eventos.end(), linha) - eventos.begin();
    };
    EXPECT_LT(posicao("Fim da impressao delivery 8"), posicao("Esperando 1s ..."));
    EXPECT_LT(posicao("Esperando 1s ..."), posicao("Gerando impressão para delivery 11"));
    EXPECT_LT(posicao("Gerando impressão para delivery 11"), static_cast<long>(eventos.size()));
    EXPECT_FALSE(fs::exists(t.comanda("PRINTD8.txt")));
    EXPECT_EQ(Comandos(), (std::vector<std::string>{"0", "2", "0"}));
    EXPECT_EQ(Bilhetes(), 2u);

    // The context's own memory of reported requests: the 2 is logged once.
    const auto linhas2 = std::count(eventos.begin(), eventos.end(), "Fechando a conta para comanda 8");
    EXPECT_EQ(linhas2, 1);
    VarreDirs(t.ctx);
    EXPECT_TRUE(t.novosEventos().empty());
}

}  // namespace
}  // namespace varelo
