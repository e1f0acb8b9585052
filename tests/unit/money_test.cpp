#include "app/money.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/errors.h"

namespace varelo {
namespace {

Dinheiro D(std::int64_t dezMilesimos) { return Dinheiro::deDezMilesimos(dezMilesimos); }

TEST(Dinheiro, ConstrucaoEConversao) {
    EXPECT_EQ(Dinheiro().dezMilesimos(), 0);
    EXPECT_EQ(Dinheiro::deUnidades(12).dezMilesimos(), 120000);
    EXPECT_EQ(Dinheiro::deUnidades(-3).dezMilesimos(), -30000);
    EXPECT_DOUBLE_EQ(D(15000).toDouble(), 1.5);
    EXPECT_DOUBLE_EQ(D(-1).toDouble(), -0.0001);
    EXPECT_EQ(Dinheiro::deDouble(12.5).dezMilesimos(), 125000);
    EXPECT_EQ(Dinheiro::deDouble(0.1 + 0.2).dezMilesimos(), 3000);
    EXPECT_THROW(Dinheiro::deUnidades(std::numeric_limits<std::int64_t>::max() / 1000), Erro);
}

// Halves of the fifth decimal that a double holds exactly (1/32 = 0.03125).
TEST(Dinheiro, DeDoubleArredondaMetadeParaPar) {
    EXPECT_EQ(Dinheiro::deDouble(0.03125).dezMilesimos(), 312);
    EXPECT_EQ(Dinheiro::deDouble(0.09375).dezMilesimos(), 938);
    EXPECT_EQ(Dinheiro::deDouble(-0.03125).dezMilesimos(), -312);
    EXPECT_EQ(Dinheiro::deDouble(-0.09375).dezMilesimos(), -938);
    EXPECT_EQ(Dinheiro::deDouble(0.000051).dezMilesimos(), 1);
    EXPECT_EQ(Dinheiro::deDouble(0.000049).dezMilesimos(), 0);
}

TEST(Dinheiro, DeDoubleForaDoIntervalo) {
    EXPECT_THROW(Dinheiro::deDouble(1e300), Erro);
    EXPECT_THROW(Dinheiro::deDouble(-1e16), Erro);
    EXPECT_THROW(Dinheiro::deDouble(std::nan("")), Erro);
    EXPECT_THROW(Dinheiro::deDouble(INFINITY), Erro);
    try {
        Dinheiro::deDouble(1e300);
    } catch (const Erro& e) {
        EXPECT_STREQ(e.what(), "Estouro");
    }
    EXPECT_NO_THROW(Dinheiro::deDouble(900000000000000.0));
}

TEST(Dinheiro, SomaSubtracaoEComparacao) {
    Dinheiro a = D(15000), b = D(2500);
    EXPECT_EQ((a + b).dezMilesimos(), 17500);
    EXPECT_EQ((b - a).dezMilesimos(), -12500);
    EXPECT_EQ((-a).dezMilesimos(), -15000);
    a += b;
    EXPECT_EQ(a, D(17500));
    a -= D(17500);
    EXPECT_TRUE(a.ehZero());
    EXPECT_LT(b, D(15000));
    EXPECT_GT(D(1), D(-1));
    EXPECT_NE(D(1), D(2));

    const Dinheiro maximo = D(std::numeric_limits<std::int64_t>::max());
    const Dinheiro minimo = D(std::numeric_limits<std::int64_t>::min());
    EXPECT_THROW(maximo + D(1), Erro);
    EXPECT_THROW(minimo - D(1), Erro);
    EXPECT_THROW(-minimo, Erro);
}

TEST(Dinheiro, MultiplicacaoArredondaMetadeParaPar) {
    EXPECT_EQ(D(15000) * D(25000), D(37500));          // 1,5 x 2,5 = 3,75
    EXPECT_EQ(D(30000) * D(100000), D(300000));        // 3 x 10 = 30
    EXPECT_EQ(D(1) * D(5000), D(0));                   // 0,00005 -> 0,0000
    EXPECT_EQ(D(3) * D(5000), D(2));                   // 0,00015 -> 0,0002
    EXPECT_EQ(D(-3) * D(5000), D(-2));
    EXPECT_EQ(D(1) * D(15000), D(2));                  // 0,00015 -> 0,0002
    EXPECT_EQ(D(12345) * D(6789), D(8381));            // 1,2345 x 0,6789 = 0,83810205
    EXPECT_EQ(D(-20000) * D(-35000), D(70000));
    // The product is exact before rounding, even past 64 bits.
    EXPECT_EQ(D(4000000000000000000) * D(20000), D(8000000000000000000));
    EXPECT_THROW(D(5000000000000000000) * D(20000), Erro);
}

TEST(Dinheiro, Divisao) {
    EXPECT_DOUBLE_EQ(D(1200000) / D(20000), 60.0);
    EXPECT_DOUBLE_EQ(D(10000) / D(30000), 1.0 / 3.0);
    EXPECT_THROW(D(10000) / Dinheiro(), Erro);
}

TEST(Dinheiro, ArredondaCasasMetadeParaPar) {
    EXPECT_EQ(D(10050).arredonda(2), D(10000));   // 1,005 -> 1,00
    EXPECT_EQ(D(10150).arredonda(2), D(10200));   // 1,015 -> 1,02
    EXPECT_EQ(D(10051).arredonda(2), D(10100));   // 1,0051 -> 1,01
    EXPECT_EQ(D(-10150).arredonda(2), D(-10200));
    EXPECT_EQ(D(25000).arredonda(0), D(20000));
    EXPECT_EQ(D(35000).arredonda(0), D(40000));
    EXPECT_EQ(D(-25000).arredonda(0), D(-20000));
    EXPECT_EQ(D(12345).arredonda(3), D(12340));
    EXPECT_EQ(D(12355).arredonda(3), D(12360));
    EXPECT_EQ(D(12345).arredonda(4), D(12345));
    EXPECT_EQ(D(12345).arredonda(6), D(12345));
    EXPECT_THROW(D(1).arredonda(-1), Erro);
}

TEST(Dinheiro, ArredondaParDeDouble) {
    EXPECT_EQ(ArredondaPar(2.5), 2.0);
    EXPECT_EQ(ArredondaPar(3.5), 4.0);
    EXPECT_EQ(ArredondaPar(-2.5), -2.0);
    EXPECT_EQ(ArredondaPar(-3.5), -4.0);
    EXPECT_EQ(ArredondaPar(0.5), 0.0);
    EXPECT_EQ(ArredondaPar(2.4999), 2.0);
    EXPECT_EQ(ArredondaPar(2.5001), 3.0);
    EXPECT_EQ(ArredondaPar(-0.7), -1.0);
}

}  // namespace
}  // namespace varelo
