#include "base/regional.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>
#include <utility>

#include "base/errors.h"

namespace varelo {
namespace {

constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();

Dinheiro D(std::int64_t dezMilesimos) { return Dinheiro::deDezMilesimos(dezMilesimos); }

// The description of the Erro that `f` throws, or "" when it throws none.
template <typename F>
std::string ErroDe(F f) {
    try {
        f();
    } catch (const Erro& e) {
        return e.what();
    }
    return "";
}

// "." groups thousands, so a handheld's "12.50" read without conversion is
// one thousand two hundred and fifty. Four decimals are kept, halves to even.
TEST(LeDinheiro, FormatoRegionalEQuatroDecimais) {
    const std::pair<const char*, std::int64_t> casos[] = {
        {" 12,50 ", 125000}, {"\t7\t", 70000}, {"-3,1", -31000}, {"+2", 20000}, {",5", 5000}, {"5,", 50000},
        {"1D2", 1000000}, {"2,5e-1", 2500}, {"1.234,56", 12345600}, {"12.50", 12500000},
        {"1,00005", 10000}, {"1,00015", 10002}, {"1,000051", 10001}, {"-1,00015", -10002},
        {"0,00004999", 0}, {"9,99995", 100000}, {"1E-40", 0},
        {"922337203685477,5807", kMax64}, {"-922337203685477,5808", kMin64}};
    for (const auto& [texto, esperado] : casos) EXPECT_EQ(LeDinheiro(texto), D(esperado)) << '"' << texto << '"';
    for (const char* t : {"", "abc", "1,2,3", "1a", "--1", "1 2", "+", "-,", "1E", "1E+", ".5", "1,5.0"})
        EXPECT_EQ(ErroDe([&] { LeDinheiro(t); }), "Tipo incompatível") << '"' << t << '"';
    for (const char* t : {"922337203685477,5808", "1E40"}) EXPECT_EQ(ErroDe([&] { LeDinheiro(t); }), "Estouro") << t;
}

// (LeNumero, the same reading as a double, is seen by the layout tests.)
TEST(ParaInteiro32, TextoRegionalArredondadoMetadeParaPar) {
    const std::pair<const char*, std::int32_t> casos[] = {
        {" 7 ", 7}, {"2,5", 2}, {"3,5", 4}, {"-2,5", -2}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1}};
    for (const auto& [texto, esperado] : casos) EXPECT_EQ(ParaInteiro32(texto), esperado) << texto;
    EXPECT_EQ(ErroDe([] { ParaInteiro32("12abc"); }), "Tipo incompatível");
    for (const char* t : {"2147483648", "2147483647,5"}) EXPECT_EQ(ErroDe([&] { ParaInteiro32(t); }), "Estouro") << t;
    EXPECT_EQ(ParaInteiro32(1e9), 1000000000);
    EXPECT_EQ(ErroDe([] { ParaInteiro32(3e9); }), "Estouro");
}

TEST(ValorInicial, NumeroNoInicioDoTextoEParaInteiro16) {
    const std::pair<const char*, double> casos[] = {
        {"3 pratos", 3.0}, {"  1 2", 12.0}, {"\t\n9", 9.0}, {"abc", 0.0}, {"1,5", 1.0}, {"-4.25x", -4.25},
        {"+7", 7.0}, {"1.2.3", 1.2}, {".5", 0.5}, {"1e3", 1000.0}, {"1e", 1.0}, {"2E-1z", 0.2}};
    for (const auto& [texto, esperado] : casos) EXPECT_DOUBLE_EQ(ValorInicial(texto), esperado) << texto;
    // Never "Tipo incompatível": a text without a number is 0.
    const std::pair<const char*, int> inteiros[] = {{"2.5", 2}, {"abc", 0}, {"32767", 32767}, {"-32768.5", -32768}};
    for (const auto& [texto, esperado] : inteiros) EXPECT_EQ(ParaInteiro16(texto), esperado) << texto;
    for (const char* t : {"32768", "32767.5", "-40000"}) EXPECT_EQ(ErroDe([&] { ParaInteiro16(t); }), "Estouro") << t;
    EXPECT_THROW(ParaInteiro16(std::numeric_limits<double>::quiet_NaN()), Erro);
}

// Patterns round halves away from zero; a "-" goes before everything.
TEST(Formata, PadroesDeValorEQuantidade) {
    const std::tuple<std::int64_t, const char*, const char*> casos[] = {
        {5000, "##,##0.00", "0,50"}, {0, "###,##0.00", "0,00"}, {10000000, "R$ ##,##0.00", "R$ 1.000,00"},
        {23450, "0.00", "2,35"}, {-23450, "0.00", "-2,35"}, {-50000, "R$ ##,##0.00", "-R$ 5,00"},
        {9999950, "###,##0.00", "1.000,00"},  // the carry reaches the grouping
        {10000, "00", "01"}, {1200000, "00", "120"}, {25000, "00", "03"}, {14999, "00", "01"},
        {15000, "0.##", "1,5"}, {20000, "0.##", "2,"}, {5000, "#.00", ",50"}, {0, "#", ""},
        {12340, "0.0# kg", "1,23 kg"}, {12345670000, "#,#", "1.234.567"}, {10000, "sem digitos", "sem digitos"}};
    for (const auto& [valor, padrao, esperado] : casos)
        EXPECT_EQ(Formata(D(valor), padrao), esperado) << valor << " com " << padrao;
    // A double is taken by its 15 significant digits: 1.005 is 1.00499999...
    // in binary but formats as 1,01.
    EXPECT_EQ(Formata(1.005, "0.00"), "1,01");
    EXPECT_EQ(Formata(1234567.891, "#,##0.00"), "1.234.567,89");
    EXPECT_EQ(Formata(-0.004, "0.00"), "0,00");  // rounds to zero: no sign
}

TEST(TextoPadrao, SemZerosSobrandoEExpoenteForaDaFaixa) {
    const std::pair<std::int64_t, const char*> dinheiro[] = {
        {20000, "2"}, {2500, "0,25"}, {0, "0"}, {1, "0,0001"}, {-5000, "-0,5"}, {12345678, "1234,5678"},
        {kMin64, "-922337203685477,5808"}};
    for (const auto& [valor, esperado] : dinheiro) EXPECT_EQ(TextoPadrao(D(valor)), esperado) << valor;
    const std::pair<double, const char*> doubles[] = {
        {30.0, "30"}, {0.1 + 0.2, "0,3"}, {1.0 / 3.0, "0,333333333333333"}, {-0.0, "0"},
        {123456789012345.0, "123456789012345"}, {1e15, "1E+15"}, {0.0001, "0,0001"}, {0.00001, "1E-05"},
        {-2.5e-7, "-2,5E-07"}, {1.5e100, "1,5E+100"}};
    for (const auto& [valor, esperado] : doubles) EXPECT_EQ(TextoPadrao(valor), esperado) << valor;
    // A double total held as text reads back as the same money.
    EXPECT_EQ(LeDinheiro(TextoPadrao(0.1 * 3)), D(3000));
    EXPECT_EQ(LeDinheiro(TextoPadrao(0.00001)), D(0));
}

}  // namespace
}  // namespace varelo
