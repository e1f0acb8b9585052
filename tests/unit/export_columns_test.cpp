// Column layout and the shared account rules, without a server.
#include <gtest/gtest.h>

#include "app/errors.h"
#include "export/account_totals.h"
#include "export/text_columns.h"

namespace varelo {
namespace {

TEST(Colunas, LarguraEmCaracteresNaoEmBytes) {
    EXPECT_EQ(Largura("Feijoada Ção"), 12u);
    EXPECT_EQ(Esquerda("Feijoada Ção completa", 12), "Feijoada Ção");
    EXPECT_EQ(Esquerda("Produto não encontrado", 12), "Produto não ");
    EXPECT_EQ(Esquerda("Ção", 2), "Çã");
    EXPECT_EQ(Esquerda("abc", 12), "abc");
    EXPECT_EQ(CompletaAte("Água", 6), "Água  ");
    EXPECT_EQ(Apara("  a b  "), "a b");
    EXPECT_EQ(Apara("   "), "");
}

TEST(Colunas, AlinhamentoNuncaCortaDigitos) {
    EXPECT_EQ(Pad("16,00", 8), "   16,00");
    EXPECT_EQ(Pad("1.234.567,00", 8), "1.234.567,00");
    EXPECT_EQ(LinhaAlinhada("Servico 10%", "1,60", 27), "Servico 10%            1,60");
    EXPECT_EQ(LinhaAlinhada("Servico 12,5%", "12.499.999.998,75", 27), "Servico 12,5%12.499.999.998,75");
    EXPECT_EQ(LinhaAlinhada(std::string(30, 'x'), "1", 27), std::string(30, 'x') + "1");
}

TEST(RegrasDaConta, ValoresDoServidorEServico) {
    EXPECT_EQ(DinheiroDoBanco("12.5000"), Dinheiro::deDezMilesimos(125000));
    EXPECT_EQ(DinheiroDoBanco("-1"), Dinheiro::deUnidades(-1));
    EXPECT_EQ(DinheiroDoBanco("1234567.1234"), Dinheiro::deDezMilesimos(12345671234));
    EXPECT_EQ(DinheiroDoBanco("2.5E+3"), Dinheiro::deUnidades(2500));
    // A grouping point or a comma is not what the server sends.
    EXPECT_THROW(DinheiroDoBanco("1.234.5"), Erro);
    EXPECT_THROW(DinheiroDoBanco("1,5"), Erro);
    EXPECT_THROW(DinheiroDoBanco(""), Erro);

    EXPECT_EQ(CalculaServico(Dinheiro::deUnidades(10), Dinheiro::deUnidades(16)), Dinheiro::deDezMilesimos(16000));
    EXPECT_EQ(CalculaServico(Dinheiro::deUnidades(10), Dinheiro::deDezMilesimos(3)), Dinheiro());
    const Acrescimos a{Dinheiro::deUnidades(10), Dinheiro::deDezMilesimos(16000), Dinheiro::deUnidades(3)};
    EXPECT_EQ(TotalAPagar(Dinheiro::deUnidades(16), a, Dinheiro::deUnidades(20)), Dinheiro::deDezMilesimos(46000));
}

}  // namespace
}  // namespace varelo
