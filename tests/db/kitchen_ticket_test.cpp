// Kitchen tickets: the text that reaches each printer, the marks written on
// the items, the print log and what happens when a printer refuses a ticket.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/startup_settings.h"
#include "base/errors.h"
#include "base/money.h"
#include "base/printing_system.h"
#include "core/activity_log.h"
#include "db/banco.h"
#include "printing/kitchen_ticket.h"
#include "printing/print_transaction.h"
#include "tests/support/delegating_printer.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;

const std::string D(48, '-');
using L = std::vector<std::string>;

// The document as the spool printer keeps it: the ticket text starts with
// an empty line, every line ends with "\n".
std::string Cupom(const std::vector<std::string>& linhas) {
    std::string texto;
    for (std::size_t i = 0; i < linhas.size(); ++i) texto += (i ? "\n" : "") + linhas[i];
    return texto + "\n";
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Heading of comanda 42 on table 7, attendant Ana, one top line.
const std::vector<std::string> kCabecalho42 = {"", " ", "PEDIDO DE MESA", D, "MESA         7", D,
                                               "COMANDA      42", D, "ATENDENTE:   Ana", D};

std::vector<std::string> Rodape(const std::string& pedido, int idlanc) {
    return {"15/01/2024 - 12:00:00 - id:" + pedido, "Registro: " + std::to_string(idlanc), " ", " "};
}

// The printing system of the test, refusing every document of the printers
// named in `recusa` as a stopped queue would.
class ImpressaoQueRecusa final : public ImpressaoDelegada {
public:
    using ImpressaoDelegada::ImpressaoDelegada;
    std::set<std::string> recusa;

    void imprime(const std::string& texto) override {
        if (recusa.count(impressoraAtual())) recusado_ = true;
        else real_.imprime(texto);
    }
    bool terminaDocumento() override {
        if (!recusado_) return real_.terminaDocumento();
        recusado_ = false;
        return false;
    }
    std::string ultimoErro() const override { return "fila parada"; }

private:
    bool recusado_ = false;
};

struct Item {
    int comanda = 42;
    int produto = 10;
    std::string qtde = "1";
    std::string obs = "NULL";  // SQL literals from here on
    std::string lancado = "'Ana'";
    std::string descricao2 = "NULL";
    std::string idmeia = "NULL";
    std::string etiqueta = "1";
};

class CupomCozinha : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        Executa("Insert into Grupos (idgrupo, nome, Impressora, Impressora2) values "
                "(1,'Pratos','cozinha',''),(2,'Bebidas','bar','Não Imprimir'),"
                "(3,'Sobremesas','cozinha','bar'),(4,'Taxas','Não Imprimir',''),"
                "(5,'Congelados','Etiqueta',''),(6,'Lanches','cozinha',NULL)");
        Executa("Insert into Produtos (codigo, descricao, idgrupo) values (10,'Feijoada',1),"
                "(11,'Arroz',1),(20,'Suco',2),(30,'Pudim',3),(40,'Couvert',4),"
                "(50,'Lasanha congelada',5),(60,'X-Salada',6)");
        t.ctx.cfg.LinhasInicio = 1;
        t.ctx.cfg.LinhaFim = 2;
        t.ctx.procs.ExportaConsumos = [this](const std::string& pasta, const std::string& n) {
            exportados.push_back(pasta + " [" + n + "]");
        };
        t.banco.observaSql([this](const std::string& sql) { sqls.push_back(sql); });
    }

    void Executa(const std::string& sql) {
        t.banco.AbreBanco(sql);
        t.banco.FechaBanco();
    }
    void Comanda(int comanda, int mesa, int pedido, const std::string& obs = "NULL") {
        Executa("Insert into Comanda (Comanda, Mesa, idpedido, Obs) values (" + std::to_string(comanda) +
                "," + std::to_string(mesa) + "," + std::to_string(pedido) + "," + obs + ")");
    }
    int Lanca(const Item& i) {
        Executa("Insert into ItemComanda (Comanda, idProduto, qtde, Obs, Lancado, Descricao2, idmeia, "
                "Etiqueta) values (" + std::to_string(i.comanda) + "," + std::to_string(i.produto) +
                "," + i.qtde + "," + i.obs + "," + i.lancado + "," + i.descricao2 + "," + i.idmeia +
                "," + i.etiqueta + ")");
        return std::stoi(t.consulta("Select max(idlanc) as m from ItemComanda", "m").at(0));
    }
    // A print request of the handhelds for table `mesa`, as the scan hands it over.
    void PedidoDaMesa(int mesa) {
        t.ctx.varredura.ArqAtual = t.pedido("PRINTM" + std::to_string(mesa) + ".txt", "");
        t.ctx.varredura.ComandaAtual = static_cast<std::int16_t>(mesa);
    }
    void Imprime(int mesa) {
        sqls.clear();
        t.novosEventos();
        ImprimeCupom(t.ctx, mesa);
    }
    // The test's context with another printing system.
    Contexto ComOutraImpressao(SistemaImpressao& impressao) {
        return Contexto{t.relogio,  t.arquivos,  t.armazem,           t.eventos, t.impressos,
                        t.banco,    t.mensagens, t.timer1,            t.processos, t.executor,
                        impressao,  t.ctx.pastaPrograma, t.ctx.nomeExecutavel, t.ctx.cfg, t.ctx.procs};
    }
    // The documents a printer received, in print order.
    std::vector<std::string> Documentos(const std::string& impressora) { return t.documentos(impressora); }
    std::vector<std::string> Marcas() {
        return t.consulta("Select concat(idlanc,':',impresso,':',coalesce(impressora,'-')) as m "
                          "from ItemComanda order by idlanc", "m");
    }
    std::vector<std::string> LogsImp() {
        return t.consulta("Select concat(Produto,'|',Impressora,'|',Comanda,'|',debug) as l from LogImp "
                          "order by idlogimp", "l");
    }

    ContextoTeste t;
    std::vector<std::string> exportados;
    std::vector<std::string> sqls;
};

TEST_F(CupomCozinha, UmItemSaiNaImpressoraDoGrupoComCadaLinhaMarcaERegistro) {
    Comanda(42, 7, 500);
    Lanca({.qtde = "2"});
    PedidoDaMesa(7);
    const std::string pedido = t.ctx.varredura.ArqAtual;

    Imprime(7);

    EXPECT_EQ(Documentos("cozinha"),
              std::vector<std::string>{Cupom(kCabecalho42 + std::vector<std::string>{"2 x Feijoada", D} +
                                             Rodape("500", 1))});
    EXPECT_TRUE(Documentos("bar").empty());
    EXPECT_TRUE(Documentos("default").empty());
    // Printed in the kitchen font.
    EXPECT_EQ(t.pasta.le("impressoras/cozinha/000001.font"), "Larabiefont\n12\nTrue\n");

    EXPECT_EQ(sqls, (std::vector<std::string>{
        "Select * from config where variavel='OrdemPedido' ",
        "Select Comanda.Mesa, Comanda.Comanda, Comanda.idpedido, itemcomanda.idmeia, Itemcomanda.idproduto, "
        "Itemcomanda.Qtde, ItemComanda.Obs, ItemComanda.impresso, ItemComanda.idlanc, ItemComanda.lancado, "
        "Produtos.Descricao, Produtos.idGrupo, Grupos.Nome, ItemComanda.Descricao2 from Comanda, itemComanda, "
        "Produtos, Grupos where Comanda.Comanda=Itemcomanda.comanda and Itemcomanda.idproduto=Produtos.codigo "
        "and Produtos.idgrupo=Grupos.idgrupo and Itemcomanda.impresso=false and Comanda.mesa=7 order by "
        "ItemComanda.Comanda, Produtos.idgrupo",
        "Select Obs from Comanda where comanda = 42",
        "Select Nome, Veiculos from Clientes where Veiculos='42' or idCond=42",
        "Select Produtos.codigo, Grupos.idGrupo, Grupos.Nome, Grupos.Impressora, Grupos.Impressora2 from "
        "Produtos, grupos where Produtos.idgrupo=grupos.idgrupo and Produtos.Codigo = 10",
        "Update ItemComanda set Impresso=true, impressora='cozinha' where idlanc = 1",
        "Insert into LogImp (Produto, Impressora, Comanda, debug) values ('Feijoada','cozinha',42,1)",
    }));
    EXPECT_EQ(Marcas(), std::vector<std::string>{"1:1:cozinha"});
    EXPECT_EQ(LogsImp(), std::vector<std::string>{"Feijoada|cozinha|42|1"});
    EXPECT_EQ(t.impressos.linhas(),
              std::vector<std::string>{"15/01/2024 12:00:00 | Feijoada | cozinha | 42 | 1"});

    const auto eventos = t.novosEventos();
    ASSERT_GE(eventos.size(), 3u);
    EXPECT_EQ(eventos[0], "Imprimindo cupom da mesa 7");
    EXPECT_EQ(eventos[1], "Impresso registro 1 Não imprime = False");
    EXPECT_EQ(eventos[2], "Fim da impressao mesa 7");
    // The statement goes out for the number being worked on; the request is gone.
    EXPECT_EQ(exportados, std::vector<std::string>{t.pastaComandas() + " [7]"});
    EXPECT_FALSE(t.arquivos.podeLer(pedido));

    // A second request finds nothing new to print.
    Imprime(7);
    EXPECT_EQ(Documentos("cozinha").size(), 1u);
}

TEST_F(CupomCozinha, MesaDeMesmoNumeroDaComandaTemUmaLinhaSoEAtendenteVazio) {
    Comanda(12, 12, 77);
    Lanca({.comanda = 12, .produto = 11, .lancado = "NULL"});
    Imprime(12);
    EXPECT_EQ(Documentos("cozinha"),
              std::vector<std::string>{Cupom(L{"", " ", "PEDIDO DE MESA", D, "MESA/COMANDA    ( 12 )", D,
                                              "ATENDENTE:", D, "1 x Arroz", D, "15/01/2024 - 12:00:00 - id:77",
                                              "Registro: 1", " ", " "})});
}

TEST_F(CupomCozinha, DoisItensEmDuasImpressorasDaoDoisCuponsOSegundoComCabecalhoCurto) {
    Comanda(42, 7, 500);
    Lanca({.produto = 20, .descricao2 = "'  Suco de laranja  '"});
    Lanca({.produto = 10});
    Imprime(7);

    // Grouped by comanda and group: the dish (group 1) comes first.
    EXPECT_EQ(Documentos("cozinha"),
              std::vector<std::string>{Cupom(kCabecalho42 + std::vector<std::string>{"1 x Feijoada", D} +
                                             Rodape("500", 2))});
    EXPECT_EQ(Documentos("bar"),
              std::vector<std::string>{Cupom(L{"", " ", " ", "MESA         7", D, "COMANDA      42", D,
                                              "ATENDENTE:   Ana", D, "1 x Suco de laranja", D} +
                                             Rodape("500", 1))});
    EXPECT_EQ(LogsImp(), (std::vector<std::string>{"Feijoada|cozinha|42|3", "Suco de laranja|bar|42|1"}));
    EXPECT_EQ(Marcas(), (std::vector<std::string>{"1:1:bar", "2:1:cozinha"}));
}

TEST_F(CupomCozinha, ImpSeparadoFazUmCupomPorItemEGrupoCupomMostraOGrupo) {
    Comanda(42, 7, 500);
    Lanca({.produto = 10});
    Lanca({.produto = 60});
    t.ctx.cfg.ImpSeparado = true;
    t.ctx.cfg.GrupoCupom = true;
    Imprime(7);

    EXPECT_EQ(Documentos("cozinha"),
              (std::vector<std::string>{
                  Cupom(kCabecalho42 + std::vector<std::string>{"Grupo  : Pratos", D, "1 x Feijoada", D} +
                        Rodape("500", 1)),
                  Cupom(L{"", " ", " ", "MESA         7", D, "COMANDA      42", D, "ATENDENTE:   Ana", D,
                         "Grupo  : Lanches", D, "1 x X-Salada", D} +
                        Rodape("500", 2))}));
    EXPECT_EQ(LogsImp(), (std::vector<std::string>{"Feijoada|cozinha|42|3", "X-Salada|cozinha|42|1"}));
}

TEST_F(CupomCozinha, ImpressorasDaMesmaComandaJuntamItensNoMesmoCupom) {
    Comanda(42, 7, 500);
    Lanca({.produto = 10});
    Lanca({.produto = 60, .qtde = "3"});
    Imprime(7);
    EXPECT_EQ(Documentos("cozinha"),
              std::vector<std::string>{Cupom(kCabecalho42 +
                                             std::vector<std::string>{"1 x Feijoada", D, "3 x X-Salada", D} +
                                             Rodape("500", 2))});
    EXPECT_EQ(LogsImp(), std::vector<std::string>{"X-Salada|cozinha|42|1"});
}

TEST_F(CupomCozinha, ImpressoraDesconhecidaComApostrofoSaiNaImpressoraAtual) {
    Executa("Insert into Grupos (idgrupo, nome, Impressora, Impressora2) values (8,'Copa','copa d''água','')");
    Executa("Insert into Produtos (codigo, descricao, idgrupo) values (80,'Café',8)");
    Comanda(42, 7, 500);
    Lanca({.produto = 80});
    Imprime(7);
    EXPECT_EQ(Documentos("default"),
              std::vector<std::string>{Cupom(kCabecalho42 + L{"1 x Café", D} + Rodape("500", 1))});
    EXPECT_EQ(Marcas(), std::vector<std::string>{"1:1:copa d'água"});
    EXPECT_EQ(LogsImp(), std::vector<std::string>{"Café|copa d'água|42|1"});
}

TEST_F(CupomCozinha, SegundaImpressoraRecebeACopiaEItemNaoImpressoSoEMarcado) {
    Comanda(42, 7, 500);
    Lanca({.produto = 30});
    Lanca({.produto = 40});
    Imprime(7);

    const std::string esperado =
        Cupom(kCabecalho42 + std::vector<std::string>{"1 x Pudim", D} + Rodape("500", 1));
    EXPECT_EQ(Documentos("cozinha"), std::vector<std::string>{esperado});
    EXPECT_EQ(Documentos("bar"), std::vector<std::string>{esperado});
    EXPECT_TRUE(Documentos("default").empty());
    EXPECT_EQ(LogsImp(), (std::vector<std::string>{"Pudim|cozinha|42|3", "Pudim|bar|42|4"}));
    EXPECT_EQ(Marcas(), (std::vector<std::string>{"1:1:cozinha", "2:1:Não Imprimir"}));
    const auto eventos = t.novosEventos();
    EXPECT_TRUE(Contem(eventos, "Impresso registro 2 Não imprime = True"));
    EXPECT_TRUE(Contem(eventos, "Impresso registro 1 Não imprime = False"));
}

TEST_F(CupomCozinha, CopiaNulaNaoImprimeEMeiaPorcaoSegueQtdMinimo) {
    Executa("Insert into Config (Variavel, Valor) values ('OrdemPedido','1')");
    Comanda(42, 7, 500);
    Lanca({.produto = 60, .qtde = "0.5"});
    Lanca({.produto = 60, .qtde = "1"});
    Lanca({.produto = 60, .qtde = "2", .idmeia = "1"});
    Lanca({.produto = 60, .qtde = "1.5"});
    t.ctx.cfg.qtdMinimo = Dinheiro::deDezMilesimos(5000);
    Imprime(7);
    EXPECT_EQ(Documentos("cozinha"),
              std::vector<std::string>{Cupom(kCabecalho42 +
                                             std::vector<std::string>{"MEIA X-Salada", D, "1 x X-Salada", D,
                                                                      "MEIA X-Salada", D, "1,5 x X-Salada", D} +
                                             Rodape("500", 4))});
    EXPECT_TRUE(Documentos("bar").empty());
    EXPECT_TRUE(Documentos("default").empty());

    // Without a half-portion quantity, half a portion is printed as it is.
    Lanca({.produto = 60, .qtde = "0.5"});
    t.ctx.cfg.qtdMinimo = Dinheiro();
    Imprime(7);
    ASSERT_EQ(Documentos("cozinha").size(), 2u);
    EXPECT_NE(Documentos("cozinha")[1].find("\n0,5 x X-Salada\n"), std::string::npos);
}

TEST_F(CupomCozinha, ObservacoesSimplesEPartidasPorBarraComSeta) {
    Comanda(42, 7, 500);
    Lanca({.obs = "'  sem cebola  '"});
    Lanca({.produto = 60, .obs = "'bem passado/ /ponto->mal passado/molho à parte'"});
    Imprime(7);
    EXPECT_EQ(Documentos("cozinha"),
              std::vector<std::string>{Cupom(kCabecalho42 +
                                             std::vector<std::string>{"1 x Feijoada", "Obs    : sem cebola", D,
                                                                      "1 x X-Salada", "   bem passado", " ", "PONTO",
                                                                      "   MAL PASSADO", "   molho à parte", D} +
                                             Rodape("500", 2))});
}

TEST_F(CupomCozinha, NomeDaComandaVemDaObsEDoCliente) {
    Comanda(42, 7, 500, "'  Mesa do João  '");
    Executa("Insert into Clientes (Nome, Veiculos, idCond) values ('Maria Ção','42',NULL)");
    EXPECT_EQ(ConsultaNomeComanda(t.ctx, 42), "Mesa do João/Maria Ção");
    Lanca({});
    Imprime(7);
    ASSERT_EQ(Documentos("cozinha").size(), 1u);
    EXPECT_EQ(Documentos("cozinha")[0],
              Cupom(L{"", " ", "PEDIDO DE MESA", D, "MESA DO JOÃO/MARIA ÇÃO", "MESA         7", D,
                     "COMANDA      42", D, "ATENDENTE:   Ana", D, "1 x Feijoada", D} +
                    Rodape("500", 1)));
    EXPECT_TRUE(Contem(t.novosEventos(), "Imprimindo conta de Mesa do João/Maria Ção"));

    // An empty Obs and a customer found by idCond; a comanda that does not exist.
    Comanda(43, 8, 501, "''");
    Executa("Insert into Clientes (Nome, Veiculos, idCond) values ('Rui',NULL,43)");
    EXPECT_EQ(ConsultaNomeComanda(t.ctx, 43), "/Rui");
    Comanda(44, 9, 502, "'Balcão'");
    EXPECT_EQ(ConsultaNomeComanda(t.ctx, 44), "Balcão");
    EXPECT_EQ(ConsultaNomeComanda(t.ctx, 99), "");
}

TEST_F(CupomCozinha, DuasComandasNaMesmaMesaCadaUmaComSeuNomeESeuPedido) {
    Comanda(41, 7, 499, "'Joao'");
    Comanda(42, 7, 500);
    Lanca({.comanda = 42, .produto = 11});
    Lanca({.comanda = 41, .produto = 10});
    Imprime(7);
    EXPECT_EQ(Documentos("cozinha"),
              (std::vector<std::string>{
                  Cupom(L{"", " ", "PEDIDO DE MESA", D, "JOAO", "MESA         7", D, "COMANDA      41", D,
                         "ATENDENTE:   Ana", D, "1 x Feijoada", D} +
                        Rodape("499", 2)),
                  Cupom(kCabecalho42 + std::vector<std::string>{"1 x Arroz", D} + Rodape("500", 1))}));
    EXPECT_EQ(LogsImp(), (std::vector<std::string>{"Feijoada|cozinha|41|5", "Arroz|cozinha|42|1"}));
}

TEST_F(CupomCozinha, OrdemPedidoImprimeNaOrdemDeLancamento) {
    Executa("Insert into Grupos (idgrupo, nome, Impressora, Impressora2) values (9,'Vinhos','bar','')");
    Executa("Insert into Produtos (codigo, descricao, idgrupo) values (90,'Vinho',9)");
    Comanda(42, 7, 500);
    Lanca({.produto = 90});
    Lanca({.produto = 10});
    Lanca({.produto = 60});
    const std::vector<std::string> bebida = {"1 x Vinho", D};
    const std::vector<std::string> pratos = {"1 x Feijoada", D, "1 x X-Salada", D};
    const std::vector<std::string> curto = {"", " ", " ", "MESA         7", D, "COMANDA      42", D,
                                            "ATENDENTE:   Ana", D};

    // Grouped: the dishes (groups 1 and 6) before the wine (group 9).
    Imprime(7);
    EXPECT_EQ(Documentos("cozinha"), std::vector<std::string>{Cupom(kCabecalho42 + pratos + Rodape("500", 3))});
    EXPECT_EQ(Documentos("bar"), std::vector<std::string>{Cupom(curto + bebida + Rodape("500", 1))});

    Executa("Insert into Config (Variavel, Valor) values ('OrdemPedido','1')");
    Executa("Update ItemComanda set impresso=false");
    Imprime(7);
    ASSERT_GE(sqls.size(), 2u);
    const std::string fim = "Comanda.mesa=7 order by ItemComanda.idlanc";
    EXPECT_EQ(sqls[1].substr(sqls[1].size() - fim.size()), fim);
    EXPECT_EQ(Documentos("bar")[1], Cupom(kCabecalho42 + bebida + Rodape("500", 1)));
    EXPECT_EQ(Documentos("cozinha")[1], Cupom(curto + pratos + Rodape("500", 3)));
}

TEST_F(CupomCozinha, ItensComOutraCopiaSaemEmCupomProprio) {
    Executa("Insert into Config (Variavel, Valor) values ('OrdemPedido','1')");
    Comanda(42, 7, 500);
    Lanca({.produto = 11});
    Lanca({.produto = 30});
    Lanca({.produto = 10});
    Imprime(7);
    const std::vector<std::string> curto = {"", " ", " ", "MESA         7", D, "COMANDA      42", D,
                                            "ATENDENTE:   Ana", D};
    const std::string pudim = Cupom(curto + std::vector<std::string>{"1 x Pudim", D} + Rodape("500", 2));
    EXPECT_EQ(Documentos("cozinha"),
              (std::vector<std::string>{
                  Cupom(kCabecalho42 + std::vector<std::string>{"1 x Arroz", D} + Rodape("500", 1)), pudim,
                  Cupom(curto + std::vector<std::string>{"1 x Feijoada", D} + Rodape("500", 3))}));
    EXPECT_EQ(Documentos("bar"), std::vector<std::string>{pudim});
    EXPECT_EQ(LogsImp(), (std::vector<std::string>{"Arroz|cozinha|42|3", "Pudim|cozinha|42|3", "Pudim|bar|42|4",
                                                   "Feijoada|cozinha|42|1"}));
}

TEST_F(CupomCozinha, SemItensTentaMaisUmaVezENaoApagaOPedido) {
    Comanda(42, 7, 500);
    PedidoDaMesa(7);
    Imprime(7);

    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{"Imprimindo cupom da mesa 7", "Sem itens para imprimir da mesa 7",
                                        "Fazendo nova tentativa de impressão da mesa 7"}));
    EXPECT_EQ(t.relogio.esperas(), std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(500)});
    ASSERT_EQ(sqls.size(), 3u);
    EXPECT_NE(sqls[2].find("Produtos.idgrupo=Grupos.idgrupo  and Itemcomanda.impresso=false"),
              std::string::npos);
    EXPECT_EQ(sqls[2].find("  ", 0), sqls[2].find("  and Itemcomanda"));
    EXPECT_TRUE(exportados.empty());
    EXPECT_TRUE(t.arquivos.podeLer(t.ctx.varredura.ArqAtual));

    // The second look finds an item that arrived during the wait.
    t.relogio.aoEsperar([this](std::size_t) {
        t.banco.AbreBanco3("Insert into ItemComanda (Comanda, idProduto, qtde, Lancado, Etiqueta) "
                           "values (42,10,1,'Ana',1)");
        t.banco.FechaBanco3();
    });
    Imprime(7);
    EXPECT_EQ(Documentos("cozinha").size(), 1u);
    EXPECT_EQ(exportados.size(), 1u);
    EXPECT_FALSE(t.arquivos.podeLer(t.ctx.varredura.ArqAtual));
}

TEST_F(CupomCozinha, ImpressoraQueRecusaDevolveOsItensEAProximaChamadaOsImprime) {
    ImpressaoQueRecusa recusa(t.impressao);
    Contexto ctx = ComOutraImpressao(recusa);
    Executa("Insert into Config (Variavel, Valor) values ('OrdemPedido','1')");
    Comanda(42, 7, 500);
    Lanca({.produto = 10});
    Lanca({.produto = 11});
    Lanca({.produto = 20});
    Lanca({.produto = 40});
    recusa.recusa = {"cozinha"};
    t.novosEventos();
    EXPECT_FALSE(ImprimeCupom(ctx, 7));

    // The kitchen ticket did not go out: its two items are pending again;
    // the bar ticket and the item that is never printed keep their marks.
    EXPECT_TRUE(Documentos("cozinha").empty());
    EXPECT_EQ(Documentos("bar").size(), 1u);
    EXPECT_EQ(Marcas(), (std::vector<std::string>{"1:0:-", "2:0:-", "3:1:bar", "4:1:Não Imprimir"}));
    EXPECT_EQ(LogsImp(), std::vector<std::string>{"Suco|bar|42|3"});
    EXPECT_TRUE(Contem(t.novosEventos(),
                       "Cupom não aceito pela impressora cozinha: fila parada - itens continuam pendentes: "
                       "1 Feijoada, 2 Arroz"));

    recusa.recusa.clear();
    EXPECT_TRUE(ImprimeCupom(ctx, 7));
    EXPECT_EQ(Documentos("cozinha"),
              std::vector<std::string>{Cupom(kCabecalho42 +
                                             std::vector<std::string>{"1 x Feijoada", D, "1 x Arroz", D} +
                                             Rodape("500", 2))});
    EXPECT_EQ(Documentos("bar").size(), 1u);
    EXPECT_EQ(Marcas(), (std::vector<std::string>{"1:1:cozinha", "2:1:cozinha", "3:1:bar", "4:1:Não Imprimir"}));
}

// The copy's printer refuses it: the ticket, on paper, keeps its marks, and
// the copy waits in the pending folder until the check after a scan prints
// it, without the kitchen getting its ticket again.
TEST_F(CupomCozinha, CopiaRecusadaEsperaESaiQuandoAImpressoraAceita) {
    ImpressaoQueRecusa recusa(t.impressao);
    Contexto ctx = ComOutraImpressao(recusa);
    Comanda(42, 7, 500);
    Lanca({.produto = 30});
    recusa.recusa = {"bar"};
    t.novosEventos();
    EXPECT_TRUE(ImprimeCupom(ctx, 7));
    EXPECT_EQ(Documentos("cozinha").size(), 1u);
    EXPECT_TRUE(Documentos("bar").empty());
    EXPECT_EQ(Marcas(), std::vector<std::string>{"1:1:cozinha"});
    EXPECT_EQ(LogsImp(), std::vector<std::string>{"Pudim|cozinha|42|1"});
    EXPECT_TRUE(Contem(t.novosEventos(), "Cópia do cupom não aceita pela impressora bar: fila parada - fica pendente"));
    const std::string pendente = t.pasta.arquivo("pendentes/copia1.txt");
    ASSERT_TRUE(t.arquivos.podeLer(pendente));

    ImprimePendentes(ctx);  // still refused: it stays
    EXPECT_TRUE(t.arquivos.podeLer(pendente));
    recusa.recusa.clear();
    ImprimePendentes(ctx);
    EXPECT_FALSE(t.arquivos.podeLer(pendente));
    EXPECT_EQ(Documentos("bar"), Documentos("cozinha"));
    EXPECT_EQ(Documentos("cozinha").size(), 1u);
}

// A group without a printer prints on the current printer; the item is
// marked with the empty name it has.
TEST_F(CupomCozinha, GrupoSemImpressoraSaiNaImpressoraAtual) {
    Executa("Insert into Grupos (idgrupo, nome, Impressora) values (7,'Sem impressora',NULL)");
    Executa("Insert into Produtos (codigo, descricao, idgrupo) values (70,'Caldo',7)");
    Comanda(42, 7, 500);
    Lanca({.produto = 70});
    Imprime(7);
    EXPECT_EQ(Documentos("default"),
              std::vector<std::string>{Cupom(kCabecalho42 + L{"1 x Caldo", D} + Rodape("500", 1))});
    EXPECT_EQ(Marcas(), std::vector<std::string>{"1:1:"});
}

// The print journal cannot be written (here it is a folder): no ticket goes
// out without it, nothing is marked, and the request is dropped as any
// request whose printing failed.
TEST_F(CupomCozinha, SemDiarioDeImpressaoNadaSaiENadaEMarcado) {
    fs::create_directories(t.pasta.arquivo("impressoes.diario"));
    Comanda(42, 7, 500);
    Lanca({.produto = 10});
    PedidoDaMesa(7);
    Imprime(7);

    EXPECT_TRUE(Documentos("cozinha").empty());
    EXPECT_EQ(Marcas(), (std::vector<std::string>{"1:0:-"}));
    const auto eventos = t.novosEventos();
    ASSERT_GE(eventos.size(), 2u);
    EXPECT_TRUE(std::any_of(eventos.begin(), eventos.end(),
                            [](const std::string& e) { return e.rfind("Erro Impressao: É uma pasta", 0) == 0; }));
    EXPECT_EQ(eventos[eventos.size() - 2], "Fechando os Bancos apos impressao");
    EXPECT_EQ(eventos.back(), "Bancos Fechados");
    EXPECT_FALSE(t.arquivos.podeLer(t.ctx.varredura.ArqAtual));
    EXPECT_TRUE(exportados.empty());
}

// A label item is printed by its label: when the label fails it stays
// unprinted, and the next print of the table prints it.
TEST_F(CupomCozinha, ItemDeEtiquetaQueFalhaFicaPendente) {
    t.pasta.escreve("etiqueta.txt", "PRODA1\r\n");
    GravaRegistro(t.ctx, "Varelo", "Config", "ImpEtiqueta", "nao-existe/etiqueta.out");
    Comanda(42, 7, 500);
    Lanca({.produto = 50, .descricao2 = "'Lasanha'", .etiqueta = "0"});
    Imprime(7);
    EXPECT_EQ(Marcas(), (std::vector<std::string>{"1:0:-"}));
    GravaRegistro(t.ctx, "Varelo", "Config", "ImpEtiqueta", "etiqueta.out");
    Imprime(7);
    EXPECT_EQ(t.pasta.le("etiqueta.out"), "Lasanha\r\n\r\n");
    EXPECT_EQ(Marcas(), (std::vector<std::string>{"1:1:Etiqueta"}));
}

TEST_F(CupomCozinha, ChamadaDasVerificacoesNaoApagaOUltimoArquivoDaPasta) {
    Comanda(42, 7, 500);
    Lanca({});
    // After a scan ArqAtual still names the last file listed.
    t.ctx.varredura.ArqAtual = t.pedido("okComanda5.txt", "ok");
    t.ctx.varredura.ComandaAtual = 42;
    Imprime(7);
    EXPECT_EQ(Documentos("cozinha").size(), 1u);
    EXPECT_TRUE(t.arquivos.podeLer(t.ctx.varredura.ArqAtual));
    EXPECT_EQ(exportados, std::vector<std::string>{t.pastaComandas() + " [42]"});
}

TEST_F(CupomCozinha, ItemDeEtiquetaImprimeAsEtiquetasDaSuaComanda) {
    t.pasta.escreve("etiqueta.txt", "NUMPEDIDO PRODA1\r\n");
    GravaRegistro(t.ctx, "Varelo", "Config", "ImpEtiqueta", "etiqueta.out");
    Comanda(42, 7, 500);
    Comanda(7, 3, 400);
    Lanca({.comanda = 7, .produto = 50, .descricao2 = "'Lasanha de outra mesa'", .etiqueta = "0"});
    Lanca({.comanda = 42, .produto = 50, .descricao2 = "'Lasanha congelada'", .etiqueta = "0"});
    Lanca({.comanda = 42, .produto = 10});
    Imprime(7);

    EXPECT_EQ(t.pasta.le("etiqueta.out"), "42 Lasanha congelada\r\n\r\n");
    EXPECT_EQ(t.consulta("Select concat(idlanc,':',Etiqueta) as e from ItemComanda order by idlanc", "e"),
              (std::vector<std::string>{"1:0", "2:1", "3:1"}));
    // The label item is on no ticket and is marked with the label printer.
    EXPECT_EQ(Documentos("cozinha"),
              std::vector<std::string>{Cupom(kCabecalho42 + std::vector<std::string>{"1 x Feijoada", D} +
                                             Rodape("500", 3))});
    EXPECT_EQ(LogsImp(), std::vector<std::string>{"Feijoada|cozinha|42|3"});
    EXPECT_EQ(Marcas(), (std::vector<std::string>{"1:0:-", "2:1:Etiqueta", "3:1:cozinha"}));
}

}  // namespace
}  // namespace varelo
