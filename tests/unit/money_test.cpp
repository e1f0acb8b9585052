#include "base/money.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

#include "base/errors.h"

namespace varelo {
namespace {

Dinheiro D(std::int64_t dezMilesimos) { return Dinheiro::deDezMilesimos(dezMilesimos); }

TEST(Dinheiro, ConversoesArredondamMetadeParaPar) {
    EXPECT_EQ(Dinheiro::deUnidades(-3), D(-30000));
    // Halves of the fifth decimal that a double holds exactly (1/32 = 0.03125).
    const std::pair<double, std::int64_t> casos[] = {
        {12.5, 125000}, {0.1 + 0.2, 3000}, {0.03125, 312}, {0.09375, 938}, {-0.03125, -312}};
    for (const auto& [valor, esperado] : casos) EXPECT_EQ(Dinheiro::deDouble(valor), D(esperado)) << valor;
    EXPECT_NO_THROW(Dinheiro::deDouble(900000000000000.0));
    for (double foraDoIntervalo : {1e300, -1e16, std::nan(""), HUGE_VAL}) {
        try {
            Dinheiro::deDouble(foraDoIntervalo);
            ADD_FAILURE() << foraDoIntervalo << " gave no error";
        } catch (const Erro& e) {
            EXPECT_STREQ(e.what(), "Estouro") << foraDoIntervalo;
        }
    }
    EXPECT_THROW(Dinheiro::deUnidades(std::numeric_limits<std::int64_t>::max() / 1000), Erro);
}

TEST(Dinheiro, AritmeticaExataOuEstouro) {
    EXPECT_EQ(D(15000) + D(2500), D(17500));
    EXPECT_EQ(D(2500) - D(15000), D(-12500));
    EXPECT_EQ(-D(15000), D(-15000));
    const Dinheiro maximo = D(std::numeric_limits<std::int64_t>::max());
    const Dinheiro minimo = D(std::numeric_limits<std::int64_t>::min());
    EXPECT_THROW(maximo + D(1), Erro);
    EXPECT_THROW(minimo - D(1), Erro);
    EXPECT_THROW(-minimo, Erro);
    EXPECT_EQ(D(15000) * D(25000), D(37500));  // 1,5 x 2,5 = 3,75
    EXPECT_EQ(D(1) * D(5000), D(0));           // 0,00005 -> 0,0000
    EXPECT_EQ(D(3) * D(5000), D(2));           // 0,00015 -> 0,0002
    EXPECT_EQ(D(-3) * D(5000), D(-2));
    // The product is exact before rounding, even past 64 bits.
    EXPECT_EQ(D(4000000000000000000) * D(20000), D(8000000000000000000));
    EXPECT_THROW(D(5000000000000000000) * D(20000), Erro);
    EXPECT_DOUBLE_EQ(D(1200000) / D(20000), 60.0);
    EXPECT_THROW(D(10000) / Dinheiro(), Erro);
}

TEST(Dinheiro, ArredondaCasasMetadeParaPar) {
    const std::tuple<std::int64_t, int, std::int64_t> casos[] = {
        {10050, 2, 10000}, {10150, 2, 10200}, {10051, 2, 10100}, {-10150, 2, -10200}, {25000, 0, 20000},
        {12345, 6, 12345}};
    for (const auto& [valor, casas, esperado] : casos) EXPECT_EQ(D(valor).arredonda(casas), D(esperado)) << valor;
    EXPECT_THROW(D(1).arredonda(-1), Erro);
    const std::pair<double, double> doubles[] = {
        {2.5, 2.0}, {3.5, 4.0}, {-2.5, -2.0}, {-3.5, -4.0}, {2.4999, 2.0}, {2.5001, 3.0}, {-0.7, -1.0}};
    for (const auto& [valor, esperado] : doubles) EXPECT_EQ(ArredondaPar(valor), esperado) << valor;
}

}  // namespace
}  // namespace varelo
