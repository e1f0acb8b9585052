// The consumption statements for the handhelds, byte for byte, with and
// without grouping, against the real server.
#include <gtest/gtest.h>

#include "base/encoding.h"
#include "base/text_columns.h"
#include "db/banco.h"
#include "export/consumption.h"
#include "tests/support/test_context.h"
#include "transactions/scan.h"

namespace varelo {
namespace {

using Linhas = std::vector<std::string>;
const std::string kSeparador = "-----------------------------";

// The lines of a statement as the handheld gets them (CR LF, Windows-1252).
std::string Extrato(const Linhas& linhas) {
    std::string s;
    for (const std::string& l : linhas) s += l + "\r\n";
    return ParaCp1252(s);
}

// The part of `arquivo` as long as `esperado`, from its start or to its end.
std::string Inicio(const std::string& arquivo, const std::string& esperado) {
    return arquivo.substr(0, esperado.size());
}
std::string Fim(const std::string& arquivo, const std::string& esperado) {
    return arquivo.size() < esperado.size() ? arquivo : arquivo.substr(arquivo.size() - esperado.size());
}

class Consumos : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        Executa("Insert into Produtos (codigo, descricao) values (10,'Feijoada Ção'),"
                "(20,'  Picanha na chapa 300 ')");
        // Comanda 7 of the examples: two rows of one product at two prices,
        // nothing set on the comanda itself.
        Executa("Insert into Comanda (Comanda) values (7)");
        Executa("Insert into ItemComanda (Comanda, idProduto, qtde, valor) values (7,10,2,5.00),(7,10,1,6.00)");
        Ajuste("Servico", "10");
        Ajuste("Couvert", "0");
        t.novosEventos();
    }
    void Executa(const std::string& s) {
        t.banco.AbreBanco(s);
        t.banco.FechaBanco();
    }
    void Ajuste(const std::string& chave, const std::string& valor) {
        t.armazem.grava("Varelo", "Config", chave, valor);
    }
    std::string Arquivo(const std::string& nome) { return t.arquivos.le(t.comanda(nome)); }

    ContextoTeste t;
};

TEST_F(Consumos, ExemploSemAgrupar) {
    ExportaConsumos(t.ctx, t.pastaComandas(), "7");
    EXPECT_EQ(Arquivo("ConsumoComanda7.txt"), Extrato({
                                                  "02 Feijoada Ção 5,00 10,00",
                                                  "01 Feijoada Ção 6,00 6,00",
                                                  "---------------------------",
                                                  "Subtotal              16,00",
                                                  "Servico 10%            1,60",
                                                  "TOTAL                 17,60",
                                              }));
    EXPECT_EQ(t.novosEventos(), (Linhas{"Exportando consumos para " + t.pastaComandas(), "Exportando Comanda -> 7"}));
}

TEST_F(Consumos, ExemploAgrupandoPeloUltimoPreco) {
    t.ctx.cfg.ResumoContaPalm = 1;
    ExportaConsumos(t.ctx, t.pastaComandas(), "7");
    EXPECT_EQ(Arquivo("ConsumoComanda7.txt"), Extrato({
                                                  "03 Feijoada Ção 6,00 18,00",
                                                  "---------------------------",
                                                  "Subtotal              18,00",
                                                  "Servico 10%            1,80",
                                                  "TOTAL                 19,80",
                                              }));
}

TEST_F(Consumos, AgrupaSoLinhasSeguidasDoMesmoProduto) {
    t.ctx.cfg.ResumoContaPalm = 1;
    Executa("Insert into ItemComanda (Comanda, idProduto, qtde, valor) values (7,20,1,40),(7,20,1.5,40)");
    ExportaConsumos(t.ctx, t.pastaComandas(), "7");
    const std::string agrupado = Extrato({"03 Feijoada Ção 6,00 18,00", "03 Picanha na c 40,00 100,00",
                                          "---------------------------"});
    EXPECT_EQ(Inicio(Arquivo("ConsumoComanda7.txt"), agrupado), agrupado);
    t.ctx.cfg.ResumoContaPalm = 0;
    ExportaConsumos(t.ctx, t.pastaComandas(), "7");
    const std::string linhas = Extrato({"02 Feijoada Ção 5,00 10,00", "01 Feijoada Ção 6,00 6,00",
                                        "01 Picanha na c 40,00 40,00", "02 Picanha na c 40,00 60,00",
                                        "---------------------------"});
    EXPECT_EQ(Inicio(Arquivo("ConsumoComanda7.txt"), linhas), linhas);
}

TEST_F(Consumos, PagamentoAbateDoTotal) {
    Executa("Insert into pagamentos (Comanda, valor, tipo) values (7, 4, 'Dinheiro'),(7, 6, 'Pix'),(8, 99, 'Pix')");
    ExportaConsumos(t.ctx, t.pastaComandas(), "7");
    const std::string totais = Extrato({
        "---------------------------",
        "Subtotal              16,00",
        "Servico 10%            1,60",
        "Valor PG              10,00",
        "TOTAL                  7,60",
    });
    EXPECT_EQ(Fim(Arquivo("ConsumoComanda7.txt"), totais), totais);
}

TEST_F(Consumos, ValoresDaComandaSubstituemOsCalculados) {
    Ajuste("Couvert", "5");
    // 8: cover per person, a discount, a stored 0 service removes the charge.
    // 9: a stored 0 cover, a stored service, no discount set (-1).
    Executa("Insert into Comanda (Comanda, Ocupantes, Couvert, Desconto, Servico) values "
            "(8, 2, -1, 3, 0), (9, 4, 0, -1, 2.5)");
    Executa("Insert into ItemComanda (Comanda, idProduto, qtde, valor) values (8,20,1,40),(9,77,1,3)");
    ExportaConsumos(t.ctx, t.pastaComandas(), "8");
    EXPECT_EQ(Arquivo("ConsumoComanda8.txt"), Extrato({
                                                  "01 Picanha na c 40,00 40,00",
                                                  "---------------------------",
                                                  "Subtotal              40,00",
                                                  "Couvert               10,00",
                                                  "Desconto               3,00",
                                                  "TOTAL                 47,00",
                                              }));
    // The item whose product has no row shows "Produto não encontrado" cut to 12.
    ExportaConsumos(t.ctx, t.pastaComandas(), "9");
    EXPECT_EQ(Arquivo("ConsumoComanda9.txt"), Extrato({
                                                  "01 Produto não  3,00 3,00",
                                                  "---------------------------",
                                                  "Subtotal               3,00",
                                                  "Servico 10%            2,50",
                                                  "TOTAL                  5,50",
                                              }));
}

TEST_F(Consumos, ValorLargoDemaisSaiInteiro) {
    Ajuste("Servico", "12,5");
    Executa("Insert into Comanda (Comanda) values (10)");
    Executa("Insert into ItemComanda (Comanda, idProduto, qtde, valor) values (10,10,1000,99999999.99)");
    ExportaConsumos(t.ctx, t.pastaComandas(), "10");
    EXPECT_EQ(Arquivo("ConsumoComanda10.txt"), Extrato({
                                                   "1000 Feijoada Ção 99.999.999,99 99.999.999.990,00",
                                                   "---------------------------",
                                                   "Subtotal  99.999.999.990,00",
                                                   "Servico 12,5%12.499.999.998,75",
                                                   "TOTAL    112.499.999.988,75",
                                               }));
}

TEST_F(Consumos, ComandaSemLinhaPerdeOArquivo) {
    t.arquivos.grava(t.comanda("ConsumoComanda99.txt"), "velho\r\n");
    ExportaConsumos(t.ctx, t.pastaComandas(), "99");
    EXPECT_EQ(t.arquivos.lista(t.pastaComandas()), Linhas{});
    EXPECT_EQ(t.novosEventos(), (Linhas{"Exportando consumos para " + t.pastaComandas(),
                                        "Tentando apagar " + t.comanda("ConsumoComanda99.txt"), kSeparador}));
}

TEST_F(Consumos, TodasApagamOsAntigosEEscrevemUmPorComanda) {
    Executa("Insert into Comanda (Comanda) values (3),(12)");
    for (const std::string zero : {"0", "", "abc", "-4"}) {
        SCOPED_TRACE(zero);
        for (const char* nome : {"ConsumoComanda5.txt", "consumocomanda55.TXT", "Consumo.txt"})
            t.arquivos.grava(t.comanda(nome), "velho");
        ExportaConsumos(t.ctx, t.pastaComandas(), zero);
        EXPECT_EQ(t.arquivos.lista(t.pastaComandas()),
                  (Linhas{"Consumo.txt", "ConsumoComanda12.txt", "ConsumoComanda3.txt", "ConsumoComanda7.txt"}));
        EXPECT_EQ(Arquivo("ConsumoComanda3.txt"), Extrato({"---------------------------",
                                                           "Subtotal               0,00",
                                                           "TOTAL                  0,00"}));
        EXPECT_EQ(Inicio(Arquivo("ConsumoComanda7.txt"), Extrato({"02 Feijoada Ção 5,00 10,00"})),
                  Extrato({"02 Feijoada Ção 5,00 10,00"}));
        const Linhas eventos = t.novosEventos();
        EXPECT_EQ(eventos.front(), "Exportando consumos para " + t.pastaComandas());
        EXPECT_EQ(eventos.back(), "Exportando Comanda -> 12");
    }
}

TEST_F(Consumos, NumeroQueNaoCabeNoComandoNaoExportaNada) {
    t.arquivos.grava(t.comanda("ConsumoComanda7.txt"), "velho");
    ExportaConsumos(t.ctx, t.pastaComandas(), "7 or 1=1");
    EXPECT_EQ(t.novosEventos(), Linhas{"Número de comanda inválido: 7 or 1=1"});
    EXPECT_EQ(Arquivo("ConsumoComanda7.txt"), "velho");
}

TEST_F(Consumos, AtualizaDaVarreduraSemZerosAEsquerda) {
    t.ctx.procs.ExportaConsumos = [this](const std::string& p, const std::string& n) {
        ExportaConsumos(t.ctx, p, n);
    };
    t.ctx.cfg.AutoImpressao = false;
    t.pedido("ATUALIZA007.txt", "");
    VarreDirs(t.ctx);
    EXPECT_EQ(t.arquivos.lista(t.pastaComandas()), Linhas{"ConsumoComanda7.txt"});
    EXPECT_EQ(Inicio(Arquivo("ConsumoComanda7.txt"), Extrato({"02 Feijoada Ção 5,00 10,00"})),
                  Extrato({"02 Feijoada Ção 5,00 10,00"}));
}

}  // namespace
}  // namespace varelo
