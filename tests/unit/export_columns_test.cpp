// Column layout and the shared account rules, without a server.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/text_columns.h"
#include "core/account_totals.h"
#include "db/sql.h"

namespace varelo {
namespace {

Dinheiro D(std::int64_t dezMilesimos) { return Dinheiro::deDezMilesimos(dezMilesimos); }

TEST(Colunas, LarguraEmCaracteresEAlinhamentoQueNuncaCortaDigitos) {
    EXPECT_EQ(Largura("Feijoada Ção"), 12u);
    EXPECT_EQ(Esquerda("Feijoada Ção completa", 12), "Feijoada Ção");
    EXPECT_EQ(Esquerda("abc", 12), "abc");
    EXPECT_EQ(CompletaAte("Água", 6), "Água  ");
    EXPECT_EQ(Apara("  a b  "), "a b");
    EXPECT_EQ(Apara("   "), "");
    EXPECT_EQ(Pad("16,00", 8), "   16,00");
    EXPECT_EQ(LinhaAlinhada("Servico 10%", "1,60", 27), "Servico 10%            1,60");
    EXPECT_EQ(LinhaAlinhada("Servico 12,5%", "12.499.999.998,75", 27), "Servico 12,5%12.499.999.998,75");
    EXPECT_EQ(LinhaAlinhada(std::string(30, 'x'), "1", 27), std::string(30, 'x') + "1");
}

TEST(RegrasDaConta, ValoresDoServidorEServico) {
    EXPECT_EQ(DinheiroDoBanco("12.5000"), D(125000));
    EXPECT_EQ(DinheiroDoBanco("-1"), D(-10000));
    EXPECT_EQ(DinheiroDoBanco("2.5E+3"), D(25000000));
    // A grouping point or a comma is not what the server sends.
    for (const char* texto : {"1.234.5", "1,5", ""}) EXPECT_THROW(DinheiroDoBanco(texto), Erro) << texto;

    EXPECT_EQ(CalculaServico(D(100000), D(160000)), D(16000));
    EXPECT_EQ(CalculaServico(D(100000), D(3)), Dinheiro());
    const Acrescimos a{D(100000), D(16000), D(30000)};  // cover, service, discount
    EXPECT_EQ(TotalAPagar(D(160000), a, D(200000)), D(46000));
}

}  // namespace
}  // namespace varelo
