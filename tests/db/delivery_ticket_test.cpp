// Delivery tickets: what reaches each delivery printer, line by line, the
// statements sent and the items marked printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/errors.h"
#include "printing/delivery_ticket.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;

const std::string kTracos(48, '-');

// A printed document as the spool folder keeps it: every line followed by "\n".
std::string Texto(std::initializer_list<std::vector<std::string>> partes) {
    std::string texto;
    for (const auto& parte : partes)
        for (const auto& linha : parte) texto += linha + "\n";
    return texto;
}

const std::vector<std::string> kMaria = {
    "ENTREGA", kTracos, "Cliente :Maria da Silva", "End.    :Rua das Flores, 12",
    "Bairro  :Centro", kTracos};
// The end of every ticket with LinhaFim 2 at 05/03/2024 19:30:05.
const std::vector<std::string> kFim = {"05/03/2024 - 19:30:05", " ", " "};

std::vector<std::string> Atendente(const std::string& nome) {
    return {"ATENDENTE:   " + nome, kTracos};
}

std::vector<std::string> Item(int pedido, int n, int total, const std::string& produto,
                              const std::string& qtde, const std::string& valor,
                              std::vector<std::string> obs = {""}) {
    std::vector<std::string> linhas = {"DELIVERY ( " + std::to_string(pedido) + " )",
                                       kTracos,
                                       "Item " + std::to_string(n) + " de " + std::to_string(total),
                                       "Produto: " + produto,
                                       "Quant. : " + qtde,
                                       "Valor  : " + valor};
    linhas.insert(linhas.end(), obs.begin(), obs.end());
    linhas.push_back(kTracos);
    return linhas;
}

class ImpressaoDelivery : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        t.relogio.define(DataHora{2024, 3, 5, 19, 30, 5});
        t.ctx.cfg.LinhaFim = 2;
        t.banco.observaSql([this](const std::string& sql) { enviados.push_back(sql); });
        // The items come ordered by the groups' dining-room printer (the
        // first column), which keeps the order of these tests fixed.
        Executa("Insert into Grupos (idgrupo, nome, Impressora, Impressoradelivery) values "
                "(1,'Pratos','k1','cozinha'),(2,'Massas','k2','cozinha'),(3,'Doces','k3','cozinha'),"
                "(4,'Bebidas','k0','bar'),(5,'Balcão','k15','Não Imprimir'),"
                "(6,'Bolos','k5','Etiqueta'),(7,'Avulsos','a0','Não Imprimir')");
        Executa("Insert into Produtos (codigo, descricao, idgrupo) values "
                "(10,'Feijoada Completa',1),(11,'Lasanha à Bolonhesa',2),(12,'Pudim de Leite',3),"
                "(13,'Suco de Laranja',4),(14,'Sacola',5),(15,'Bolo de Cenoura',6),"
                "(16,'Talheres',7),(17,Null,1)");
        Executa("Insert into Clientes (codigo, Nome, Endereco, Telefone, bairro) values "
                "(1,'Maria da Silva','Rua das Flores, 12','3333-4444','Centro'),"
                "(2,Null,Null,Null,Null)");
    }

    void Executa(const std::string& sql) {
        t.banco.AbreBanco(sql);
        t.banco.FechaBanco();
    }

    void Pedido(int pedido, const std::string& cliente) {
        Executa("Insert into Delivery (idpedido, idcliente, endereco, bairro) values (" +
                std::to_string(pedido) + "," + cliente + ",'Rua X','Centro')");
    }

    // One item; text values are given already quoted (or as Null).
    void ItemPedido(int pedido, int produto, const std::string& qtde, const std::string& obs,
                    const std::string& lancado, const std::string& valor) {
        Executa("Insert into iDelivery (idpedido, idproduto, Qtde, Obs, lancado, valor) values (" +
                std::to_string(pedido) + "," + std::to_string(produto) + "," + qtde + "," + obs +
                "," + lancado + "," + valor + ")");
    }

    void Imprime(int pedido) {
        enviados.clear();
        t.novosEventos();
        ImprimeDelivery(t.ctx, pedido);
    }

    // The documents ended on one printer, oldest first.
    std::vector<std::string> Documentos(const std::string& impressora) { return t.documentos(impressora); }

    std::vector<std::string> NaoImpressos(int pedido) {
        return t.consulta("Select idlanc from iDelivery where impresso=0 and idpedido=" +
                              std::to_string(pedido) + " order by idlanc",
                          "idlanc");
    }

    ContextoTeste t;
    std::vector<std::string> enviados;
};

TEST_F(ImpressaoDelivery, TresItensNumaImpressoraSaoUmBilheteComAsFormasDeObservacao) {
    Pedido(7, "1");
    ItemPedido(7, 10, "2", "'sem cebola'", "'  Joana '", "1259.9");
    ItemPedido(7, 11, "0.5", "'pão tostado->não queimar/ pouco sal / '", "'Joana'", "38");
    ItemPedido(7, 12, "1", "''", "'Joana'", "12.5");

    Imprime(7);

    EXPECT_EQ(Documentos("cozinha"),
              (std::vector<std::string>{Texto(
                  {kMaria, Atendente("Joana"),
                   Item(7, 1, 3, "Feijoada Completa", "2", "R$ 1.259,90", {"", "Obs    : sem cebola"}),
                   Item(7, 2, 3, "Lasanha à Bolonhesa", "0,5", "R$ 38,00",
                        {"", " ", "PÃO TOSTADO", "   NÃO QUEIMAR", "    pouco sal "}),
                   Item(7, 3, 3, "Pudim de Leite", "1", "R$ 12,50"), kFim})}));
    EXPECT_TRUE(Documentos("bar").empty());
    EXPECT_TRUE(Documentos("default").empty());
    EXPECT_EQ(t.pasta.le("impressoras/cozinha/000001.font"), "Larabiefont\n12\nTrue\n");

    const std::string produto =
        "Select Produtos.codigo, Grupos.idGrupo, Grupos.Impressoradelivery as Impressora from "
        "Produtos, grupos where Produtos.idgrupo=grupos.idgrupo and Produtos.Codigo = ";
    EXPECT_EQ(enviados,
              (std::vector<std::string>{
                  "select count(*) as total from idelivery where iDelivery.impresso=false and idpedido=7",
                  "Select delivery.idpedido, delivery.idcliente, delivery.endereco, delivery.numero, "
                  "delivery.bairro, delivery.cep , delivery.cidade, delivery.estado, delivery.fone, "
                  "delivery.referencia, iDelivery.idproduto, iDelivery.Qtde, iDelivery.Obs, "
                  "iDelivery.impresso, iDelivery.idlanc, iDelivery.lancado, idelivery.valor, "
                  "Produtos.Descricao, Produtos.idGrupo, grupos.impressora from delivery, iDelivery, "
                  "Produtos, grupos where delivery.idpedido=iDelivery.idpedido and "
                  "iDelivery.idproduto=Produtos.codigo and Produtos.idgrupo=grupos.idgrupo and "
                  "iDelivery.impresso=false and delivery.idpedido=7  order by grupos.impressora",
                  produto + "10 order by Impressora",
                  "Select Nome, Endereco, Telefone, bairro from Clientes where codigo=1",
                  produto + "11 order by Impressora",
                  produto + "12 order by Impressora",
                  // The ticket's marks, with its hand-over.
                  "Update iDelivery set Impresso=true where idlanc = 1",
                  "Update iDelivery set Impresso=true where idlanc = 2",
                  "Update iDelivery set Impresso=true where idlanc = 3",
              }));
    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{"Imprimindo delivery 7", "Impresso delivery 1",
                                        "Impresso delivery 2", "Impresso delivery 3",
                                        "Fim da impressao delivery 7"}));
    EXPECT_TRUE(NaoImpressos(7).empty());
}

TEST_F(ImpressaoDelivery, CadaImpressoraTemSeuBilheteComOClienteEOAtendenteSoNoPrimeiro) {
    Pedido(8, "1");
    ItemPedido(8, 10, "1", "Null", "'Pedro'", "59.9");
    ItemPedido(8, 13, "3", "Null", "'Pedro'", "7");

    Imprime(8);

    EXPECT_EQ(Documentos("bar"),
              (std::vector<std::string>{Texto({kMaria, Atendente("Pedro"),
                                               Item(8, 1, 2, "Suco de Laranja", "3", "R$ 7,00"), kFim})}));
    EXPECT_EQ(Documentos("cozinha"),
              (std::vector<std::string>{
                  Texto({kMaria, Item(8, 2, 2, "Feijoada Completa", "1", "R$ 59,90"), kFim})}));
    EXPECT_TRUE(NaoImpressos(8).empty());
}

TEST_F(ImpressaoDelivery, ComImpSeparadoCadaItemEUmBilhete) {
    t.ctx.cfg.ImpSeparado = true;
    Pedido(9, "1");
    ItemPedido(9, 10, "1", "Null", "'Ana'", "59.9");
    ItemPedido(9, 11, "2", "Null", "'Ana'", "40");

    Imprime(9);

    EXPECT_EQ(Documentos("cozinha"),
              (std::vector<std::string>{
                  Texto({kMaria, Atendente("Ana"), Item(9, 1, 2, "Feijoada Completa", "1", "R$ 59,90"), kFim}),
                  Texto({kMaria, Item(9, 2, 2, "Lasanha à Bolonhesa", "2", "R$ 40,00"), kFim})}));
}

TEST_F(ImpressaoDelivery, ItemNaoImpressoContaEEMarcadoMasNaoSaiNoBilhete) {
    Pedido(10, "1");
    ItemPedido(10, 10, "1", "Null", "'Ana'", "59.9");
    ItemPedido(10, 14, "1", "'embrulhar'", "'Ana'", "0.5");
    ItemPedido(10, 11, "1", "Null", "'Ana'", "40");

    Imprime(10);

    EXPECT_EQ(Documentos("cozinha"),
              (std::vector<std::string>{Texto({kMaria, Atendente("Ana"),
                                               Item(10, 1, 3, "Feijoada Completa", "1", "R$ 59,90"),
                                               Item(10, 3, 3, "Lasanha à Bolonhesa", "1", "R$ 40,00"),
                                               kFim})}));
    EXPECT_TRUE(NaoImpressos(10).empty());
    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{"Imprimindo delivery 10", "Impresso delivery 2",
                                        "Impresso delivery 1", "Impresso delivery 3",
                                        "Fim da impressao delivery 10"}));
}

TEST_F(ImpressaoDelivery, UltimoItemNaoImpressoFechaOBilheteSemDataNemLinhasFinais) {
    // A label-group item is not printed here either, and makes no label.
    Pedido(11, "1");
    ItemPedido(11, 10, "1", "Null", "'Ana'", "59.9");
    ItemPedido(11, 15, "1", "Null", "'Ana'", "20");

    Imprime(11);

    EXPECT_EQ(Documentos("cozinha"),
              (std::vector<std::string>{Texto({kMaria, Atendente("Ana"),
                                               Item(11, 1, 2, "Feijoada Completa", "1", "R$ 59,90")})}));
    EXPECT_TRUE(Documentos("default").empty());
    EXPECT_TRUE(Documentos("bar").empty());
    EXPECT_TRUE(NaoImpressos(11).empty());
}

// The attendant line is decided on the order's first row.
TEST_F(ImpressaoDelivery, PrimeiroItemNaoImpressoTiraOAtendenteDoBilhete) {
    Pedido(12, "1");
    ItemPedido(12, 10, "1", "Null", "'Ana'", "59.9");
    ItemPedido(12, 16, "4", "Null", "'Ana'", "0");

    Imprime(12);

    EXPECT_EQ(Documentos("cozinha"),
              (std::vector<std::string>{Texto({kMaria, Item(12, 2, 2, "Feijoada Completa", "1", "R$ 59,90"),
                                               kFim})}));
}

TEST_F(ImpressaoDelivery, PedidoSoDeItensNaoImpressosMarcaTudoENaoImprimeNada) {
    Pedido(13, "1");
    ItemPedido(13, 14, "1", "Null", "'Ana'", "0");
    ItemPedido(13, 16, "1", "Null", "'Ana'", "0");

    Imprime(13);

    for (const char* impressora : {"default", "cozinha", "bar"}) EXPECT_TRUE(Documentos(impressora).empty());
    EXPECT_TRUE(NaoImpressos(13).empty());
    EXPECT_EQ(t.novosEventos().back(), "Fim da impressao delivery 13");
}

TEST_F(ImpressaoDelivery, ClienteSemCadastroOuSemCodigoSaiSemOBlocoDoCliente) {
    Pedido(14, "99");
    ItemPedido(14, 10, "1", "Null", "'Ana'", "59.9");
    Pedido(15, "Null");
    ItemPedido(15, 10, "1", "Null", "Null", "59.9");

    Imprime(14);
    EXPECT_NE(std::find(enviados.begin(), enviados.end(),
                        "Select Nome, Endereco, Telefone, bairro from Clientes where codigo=99"),
              enviados.end());
    Imprime(15);
    EXPECT_EQ(std::count_if(enviados.begin(), enviados.end(),
                            [](const std::string& s) { return s.find("Clientes") != std::string::npos; }),
              0);

    EXPECT_EQ(Documentos("cozinha"),
              (std::vector<std::string>{
                  Texto({Atendente("Ana"), Item(14, 1, 1, "Feijoada Completa", "1", "R$ 59,90"), kFim}),
                  Texto({Item(15, 1, 1, "Feijoada Completa", "1", "R$ 59,90"), kFim})}));
    EXPECT_TRUE(NaoImpressos(14).empty());
    EXPECT_TRUE(NaoImpressos(15).empty());
}

TEST_F(ImpressaoDelivery, NulosSaemVaziosOuZeroEOBilheteTermina) {
    Pedido(16, "2");
    ItemPedido(16, 17, "Null", "Null", "Null", "Null");
    ItemPedido(16, 12, "1", "Null", "'   '", "3");

    Imprime(16);

    EXPECT_EQ(Documentos("cozinha"),
              (std::vector<std::string>{Texto({{"ENTREGA", kTracos, "Cliente :", "End.    :", "Bairro  :", kTracos},
                                               Item(16, 1, 2, "", "0", "R$ 0,00"),
                                               Item(16, 2, 2, "Pudim de Leite", "1", "R$ 3,00"),
                                               kFim})}));
    EXPECT_TRUE(NaoImpressos(16).empty());
    EXPECT_EQ(t.novosEventos().back(), "Fim da impressao delivery 16");
}

TEST_F(ImpressaoDelivery, SegundaChamadaSoImprimeOQueChegouDepois) {
    Pedido(17, "1");
    ItemPedido(17, 10, "1", "Null", "'Ana'", "59.9");
    Imprime(17);

    Imprime(17);
    EXPECT_EQ(t.novosEventos(), (std::vector<std::string>{"Imprimindo delivery 17"}));
    EXPECT_EQ(enviados.size(), 2u);
    EXPECT_EQ(Documentos("cozinha").size(), 1u);

    ItemPedido(17, 12, "2", "Null", "'Ana'", "6");
    Imprime(17);
    const auto documentos = Documentos("cozinha");
    ASSERT_EQ(documentos.size(), 2u);
    EXPECT_EQ(documentos[1],
              Texto({kMaria, Atendente("Ana"), Item(17, 1, 1, "Pudim de Leite", "2", "R$ 6,00"), kFim}));
}

TEST_F(ImpressaoDelivery, FalhaDaImpressoraELogadaEADoBancoSobe) {
    // The group's printer is not installed, so the ticket goes to the
    // current printer, whose queue has gone away: the document is refused.
    Executa("Update Grupos set Impressoradelivery='Sala' where idgrupo=1");
    fs::remove_all(t.pasta.arquivo("impressoras/default"));
    Pedido(18, "1");
    ItemPedido(18, 10, "1", "Null", "'Ana'", "59.9");

    // Refused: the items stay unprinted for the next request.
    t.novosEventos();
    EXPECT_FALSE(ImprimeDelivery(t.ctx, 18));
    EXPECT_EQ(NaoImpressos(18), std::vector<std::string>{"1"});
    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{"Imprimindo delivery 18",
                                        "Delivery 18 não aceito pela impressora Sala: A impressora default não "
                                        "existe mais - itens continuam pendentes",
                                        "Fim da impressao delivery 18"}));
    fs::create_directories(t.pasta.arquivo("impressoras/default"));
    EXPECT_TRUE(ImprimeDelivery(t.ctx, 18));
    EXPECT_TRUE(NaoImpressos(18).empty());
    EXPECT_EQ(Documentos("default").size(), 1u);

    Executa("Drop table iDelivery");
    EXPECT_THROW(Imprime(18), ErroBanco);
    for (const auto& linha : t.novosEventos())
        EXPECT_EQ(linha.find("Erro Impressao delivery"), std::string::npos) << linha;
}

}  // namespace
}  // namespace varelo
