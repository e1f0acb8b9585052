// Product labels: the template filled byte for byte, the copies, the label
// printer's path and the marks on the items.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/startup_settings.h"
#include "db/banco.h"
#include "printing/labels.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

class Etiquetas : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        Executa("Insert into Grupos (idgrupo, nome, Impressora) values (5,'Congelados','Etiqueta')");
        Executa("Insert into Produtos (codigo, descricao, idgrupo) values (50,'Lasanha',5),"
                "(51,'  Torta de maçã  ',5)");
        GravaRegistro(t.ctx, "Varelo", "Config", "ImpEtiqueta", "saida/etiqueta.prn");
        std::filesystem::create_directories(t.pasta.arquivo("saida"));
        t.banco.observaSql([this](const std::string& sql) { sqls.push_back(sql); });
    }

    void Executa(const std::string& sql) {
        t.banco.AbreBanco(sql);
        t.banco.FechaBanco();
    }
    // An unlabelled item; descricao2 and obs are SQL literals.
    void Item(int comanda, const std::string& descricao2, const std::string& qtde = "1",
              const std::string& obs = "NULL", int produto = 50) {
        Executa("Insert into ItemComanda (Comanda, idProduto, qtde, Obs, Descricao2, Etiqueta) values (" +
                std::to_string(comanda) + "," + std::to_string(produto) + "," + qtde + "," + obs + "," +
                descricao2 + ",0)");
    }
    std::vector<std::string> Marcas() {
        return t.consulta("Select concat(idlanc,':',Etiqueta) as e from ItemComanda order by idlanc", "e");
    }
    void Gera(int comanda) {
        sqls.clear();
        t.novosEventos();
        GeraEtiqueta(t.ctx, comanda);
    }
    std::string Saida() { return t.pasta.le("saida/etiqueta.prn"); }

    ContextoTeste t;
    std::vector<std::string> sqls;
};

TEST(CaminhoDaEtiqueta, PortasDoSistemaECaminhosDaPastaDoPrograma) {
    ContextoTeste t;
    const std::string p = t.ctx.pastaPrograma;
    EXPECT_EQ(CaminhoEtiqueta(t.ctx.pastaPrograma, "LPT1"), "/dev/lp0");
    EXPECT_EQ(CaminhoEtiqueta(t.ctx.pastaPrograma, "lpt2:"), "/dev/lp1");
    EXPECT_EQ(CaminhoEtiqueta(t.ctx.pastaPrograma, "LPT10"), "/dev/lp9");
    EXPECT_EQ(CaminhoEtiqueta(t.ctx.pastaPrograma, "COM1"), "/dev/ttyS0");
    EXPECT_EQ(CaminhoEtiqueta(t.ctx.pastaPrograma, "Com3"), "/dev/ttyS2");
    EXPECT_EQ(CaminhoEtiqueta(t.ctx.pastaPrograma, "/dev/usb/lp0"), "/dev/usb/lp0");
    EXPECT_EQ(CaminhoEtiqueta(t.ctx.pastaPrograma, "etiquetas/fila"), p + "/etiquetas/fila");
    // Not ports: taken as names in the program's folder.
    EXPECT_EQ(CaminhoEtiqueta(t.ctx.pastaPrograma, "LPT0"), p + "/LPT0");
    EXPECT_EQ(CaminhoEtiqueta(t.ctx.pastaPrograma, "LPTX"), p + "/LPTX");
    EXPECT_EQ(CaminhoEtiqueta(t.ctx.pastaPrograma, "COM"), p + "/COM");
}

TEST_F(Etiquetas, TresItensEmQuatroCamposComObservacaoDoPrimeiro) {
    t.pasta.escreve("etiqueta.txt", "N\r\nA:PRODA1|B:PRODB1|C:PRODC1|D:PRODD1|\r\nOBS:OBSA1\r\nP1\r\n");
    Item(42, "'  Lasanha  '", "1", "'  sem queijo  '");
    Item(42, "'Torta'", "1", "'quente'");
    Item(42, "'Pão'");
    Item(43, "'Outra comanda'");
    Executa("Insert into ItemComanda (Comanda, idProduto, qtde, Descricao2, Etiqueta) values (42,50,1,'Feita',1)");
    Gera(42);

    EXPECT_EQ(Saida(), "N\r\nA:Lasanha|B:Torta|C:P\xE3o|D:|\r\nOBS:sem queijo\r\nP1\r\n\r\n");
    EXPECT_EQ(sqls, (std::vector<std::string>{
        "Select * from itemcomanda where Comanda = 42 and Etiqueta = False",
        "Update itemcomanda set Etiqueta=true where Comanda = 42 and Etiqueta = False and idlanc in (1,2,3)"}));
    EXPECT_EQ(Marcas(), (std::vector<std::string>{"1:1", "2:1", "3:1", "4:0", "5:1"}));
    EXPECT_TRUE(t.novosEventos().empty());

    // Nothing left to label for the comanda.
    Gera(42);
    EXPECT_EQ(t.novosEventos(),
              std::vector<std::string>{"Sem produtos a imprimir etiqueta, verifiqe se ja foram impressos"});
}

TEST_F(Etiquetas, CopiasPelaQuantidadeDoPrimeiroItem) {
    t.pasta.escreve("etiqueta.txt", "PRODA1");
    Item(1, "'X'", "3");
    Item(1, "'Y'", "5");
    Gera(1);
    EXPECT_EQ(Saida(), "X\r\n\r\nX\r\n\r\nX\r\n\r\n");

    for (const auto& [qtde, vezes] : std::vector<std::pair<std::string, int>>{
             {"1", 1}, {"0.5", 1}, {"2.5", 2}, {"3.5", 4}, {"0", 1}}) {
        Executa("Delete from ItemComanda");
        Item(1, "'X'", qtde);
        Gera(1);
        std::string esperado;
        for (int i = 0; i < vezes; ++i) esperado += "X\r\n\r\n";
        EXPECT_EQ(Saida(), esperado) << qtde;
    }
}

TEST_F(Etiquetas, EmpresaEmCinquentaCaracteresDataHoraENumeroRepetidos) {
    t.pasta.escreve("etiqueta.txt",
                    "\x1B@^XA DADOSEMPRESA|\r\nNUMPEDIDO-NUMPEDIDO DATAHORA PRODA1 PRODA1\r\n\xE9\x02\r\n");
    t.ctx.cfg.empresa.Nome = "Cantina São João";
    t.relogio.define(DataHora{2026, 12, 4, 9, 5, 7});
    Item(7, "'Coração'");
    Gera(7);
    const std::string empresa = "Cantina S\xE3o Jo\xE3o" + std::string(34, ' ');
    ASSERT_EQ(empresa.size(), 50u);
    EXPECT_EQ(Saida(), "\x1B@^XA " + empresa + "|\r\n7-7 04/12/2026 09:05 Cora\xE7\xE3o Cora\xE7\xE3o\r\n"
                       "\xE9\x02\r\n\r\n");

    // A name longer than the field is cut to its width.
    Executa("Update ItemComanda set Etiqueta=0");
    t.ctx.cfg.empresa.Nome = std::string(60, 'E');
    Gera(7);
    EXPECT_EQ(Saida().substr(0, 58), "\x1B@^XA " + std::string(50, 'E') + "|\r");
}

TEST_F(Etiquetas, ItemSemDescricaoPropriaMostraADoProduto) {
    t.pasta.escreve("etiqueta.txt", "PRODA1;PRODB1;PRODC1\r\n");
    Item(9, "NULL", "1", "NULL", 51);
    Item(9, "''");
    Item(9, "NULL", "1", "NULL", 99);
    Gera(9);
    EXPECT_EQ(Saida(), "Torta de ma\xE7\xE3;;\r\n\r\n");
    EXPECT_EQ(Marcas(), (std::vector<std::string>{"1:1", "2:1", "3:1"}));
}

TEST_F(Etiquetas, MaisDeDezesseisItensSaemEmEtiquetasDeDezesseis) {
    t.pasta.escreve("etiqueta.txt", "PRODA1 PRODP1 OBSA1\r\n");
    for (int i = 1; i <= 18; ++i)
        Item(5, "'I" + std::to_string(i) + "'", i == 17 ? "2" : "1", "'o" + std::to_string(i) + "'");
    Gera(5);
    EXPECT_EQ(Saida(), "I1 I16 o1\r\n\r\nI17  o17\r\n\r\nI17  o17\r\n\r\n");
    const auto marcas = Marcas();
    EXPECT_EQ(std::count_if(marcas.begin(), marcas.end(),
                            [](const std::string& m) { return m.back() == '1'; }),
              18);
}

TEST_F(Etiquetas, SemModeloNadaSaiENadaEMarcado) {
    Item(42, "'Lasanha'");
    Gera(42);
    EXPECT_EQ(t.novosEventos(),
              std::vector<std::string>{"Não foi encontrado o arquivo de modelo de etiqueta, etiqueta.txt"});
    EXPECT_TRUE(sqls.empty());
    EXPECT_FALSE(t.arquivos.podeLer(t.pasta.arquivo("saida/etiqueta.prn")));
    EXPECT_EQ(Marcas(), std::vector<std::string>{"1:0"});
}

// A label the port does not take leaves its items, and the kitchen item
// that asked for it, unmarked; they are printed by the next call.
TEST_F(Etiquetas, CaminhoQueNaoAbreDeixaOsItensParaAProximaVez) {
    t.pasta.escreve("etiqueta.txt", "PRODA1\r\n");
    GravaRegistro(t.ctx, "Varelo", "Config", "ImpEtiqueta", "nao-existe/etiqueta.prn");
    Item(42, "'Lasanha'");
    const auto impresso = [&] { return t.consulta("Select impresso from ItemComanda", "impresso").at(0); };
    sqls.clear();
    GeraEtiqueta(t.ctx, 42, "1");
    const auto eventos = t.novosEventos();
    ASSERT_EQ(eventos.size(), 2u);
    EXPECT_EQ(eventos[0], "Erro imprimindo a etiqueta!");
    EXPECT_NE(eventos[1].find("nao-existe/etiqueta.prn"), std::string::npos) << eventos[1];
    EXPECT_EQ(Marcas(), std::vector<std::string>{"1:0"});
    EXPECT_EQ(impresso(), "0");

    // Once the path works the same item is labelled, and the kitchen item
    // marked with it; a second call finds only the kitchen mark to make.
    GravaRegistro(t.ctx, "Varelo", "Config", "ImpEtiqueta", t.pasta.arquivo("saida/etiqueta.prn"));
    sqls.clear();
    GeraEtiqueta(t.ctx, 42, "1");
    EXPECT_EQ(sqls.back(), "Update ItemComanda set Impresso=true, impressora='Etiqueta' where idlanc = 1");
    EXPECT_EQ(Saida(), "Lasanha\r\n\r\n");
    EXPECT_EQ(Marcas(), std::vector<std::string>{"1:1"});
    EXPECT_EQ(impresso(), "1");
}

}  // namespace
}  // namespace varelo
