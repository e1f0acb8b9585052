#include "app/regional.h"

#include <gtest/gtest.h>

#include <limits>

#include "app/errors.h"

namespace varelo {
namespace {

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

TEST(LeDinheiro, FormatoRegional) {
    EXPECT_EQ(LeDinheiro("1,5"), D(15000));
    EXPECT_EQ(LeDinheiro(" 12,50 "), D(125000));
    EXPECT_EQ(LeDinheiro("\t7\t"), D(70000));
    EXPECT_EQ(LeDinheiro("-3,1"), D(-31000));
    EXPECT_EQ(LeDinheiro("+2"), D(20000));
    EXPECT_EQ(LeDinheiro(",5"), D(5000));
    EXPECT_EQ(LeDinheiro("5,"), D(50000));
    EXPECT_EQ(LeDinheiro("0"), D(0));
    EXPECT_EQ(LeDinheiro("1E2"), D(1000000));
    EXPECT_EQ(LeDinheiro("2,5e-1"), D(2500));
}

// "." groups thousands, so a handheld's "12.50" read without conversion is
// one thousand two hundred and fifty.
TEST(LeDinheiro, PontoAgrupaMilhares) {
    EXPECT_EQ(LeDinheiro("1.234,56"), D(12345600));
    EXPECT_EQ(LeDinheiro("12.50"), D(12500000));
    EXPECT_EQ(LeDinheiro("1.000.000"), D(10000000000));
    EXPECT_EQ(ErroDe([] { LeDinheiro(".5"); }), "Tipo incompatível");
    EXPECT_EQ(ErroDe([] { LeDinheiro("1,5.0"); }), "Tipo incompatível");
}

TEST(LeDinheiro, QuatroDecimaisMetadeParaPar) {
    EXPECT_EQ(LeDinheiro("1,00005"), D(10000));
    EXPECT_EQ(LeDinheiro("1,00015"), D(10002));
    EXPECT_EQ(LeDinheiro("1,000051"), D(10001));
    EXPECT_EQ(LeDinheiro("-1,00015"), D(-10002));
    EXPECT_EQ(LeDinheiro("0,00004999"), D(0));
    EXPECT_EQ(LeDinheiro("9,99995"), D(100000));
}

TEST(LeDinheiro, TextoQueNaoEhNumero) {
    for (const char* t : {"", "   ", "abc", "1,2,3", "1a", "--1", "R$ 5", "1 2", "+", "-,", "1E", "1E+"}) {
        EXPECT_EQ(ErroDe([&] { LeDinheiro(t); }), "Tipo incompatível") << '"' << t << '"';
    }
}

TEST(LeDinheiro, LimitesDoTipo) {
    EXPECT_EQ(LeDinheiro("922337203685477,5807"), D(std::numeric_limits<std::int64_t>::max()));
    EXPECT_EQ(LeDinheiro("-922337203685477,5808"), D(std::numeric_limits<std::int64_t>::min()));
    EXPECT_EQ(ErroDe([] { LeDinheiro("922337203685477,5808"); }), "Estouro");
    EXPECT_EQ(ErroDe([] { LeDinheiro("1E40"); }), "Estouro");
    EXPECT_EQ(LeDinheiro("1E-40"), D(0));
}

TEST(LeNumero, FormatoRegionalEmDouble) {
    EXPECT_DOUBLE_EQ(LeNumero("2,5"), 2.5);
    EXPECT_DOUBLE_EQ(LeNumero("1.000"), 1000.0);
    EXPECT_DOUBLE_EQ(LeNumero(" -0,125 "), -0.125);
    EXPECT_EQ(ErroDe([] { LeNumero("x"); }), "Tipo incompatível");
}

TEST(ParaInteiro32, TextoInteiroObrigatorio) {
    EXPECT_EQ(ParaInteiro32("42"), 42);
    EXPECT_EQ(ParaInteiro32(" 7 "), 7);
    EXPECT_EQ(ParaInteiro32("2,5"), 2);
    EXPECT_EQ(ParaInteiro32("3,5"), 4);
    EXPECT_EQ(ParaInteiro32("-2,5"), -2);
    EXPECT_EQ(ParaInteiro32("2147483647"), 2147483647);
    EXPECT_EQ(ParaInteiro32("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ErroDe([] { ParaInteiro32(""); }), "Tipo incompatível");
    EXPECT_EQ(ErroDe([] { ParaInteiro32("12abc"); }), "Tipo incompatível");
    EXPECT_EQ(ErroDe([] { ParaInteiro32("2147483648"); }), "Estouro");
    EXPECT_EQ(ErroDe([] { ParaInteiro32("2147483647,5"); }), "Estouro");
}

TEST(ValorInicial, NumeroNoInicioDoTexto) {
    EXPECT_DOUBLE_EQ(ValorInicial("3 pratos"), 3.0);
    EXPECT_DOUBLE_EQ(ValorInicial("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(ValorInicial("  1 2"), 12.0);
    EXPECT_DOUBLE_EQ(ValorInicial("abc"), 0.0);
    EXPECT_DOUBLE_EQ(ValorInicial(""), 0.0);
    EXPECT_DOUBLE_EQ(ValorInicial("1,5"), 1.0);
    EXPECT_DOUBLE_EQ(ValorInicial("-4.25x"), -4.25);
    EXPECT_DOUBLE_EQ(ValorInicial("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(ValorInicial("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(ValorInicial("1e"), 1.0);
    EXPECT_DOUBLE_EQ(ValorInicial("2E-1z"), 0.2);
    EXPECT_DOUBLE_EQ(ValorInicial(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ValorInicial("+7"), 7.0);
    EXPECT_DOUBLE_EQ(ValorInicial("\t\n9"), 9.0);
}

TEST(ParaInteiro16, NumeroInicialMetadeParaPar) {
    EXPECT_EQ(ParaInteiro16("3 e palavras"), 3);
    EXPECT_EQ(ParaInteiro16("2.5"), 2);
    EXPECT_EQ(ParaInteiro16("3.5"), 4);
    EXPECT_EQ(ParaInteiro16("abc"), 0);
    EXPECT_EQ(ParaInteiro16(""), 0);
    EXPECT_EQ(ParaInteiro16("42"), 42);
    EXPECT_EQ(ParaInteiro16("32767"), 32767);
    EXPECT_EQ(ParaInteiro16("-32768"), -32768);
    EXPECT_EQ(ParaInteiro16("-32768.5"), -32768);
    EXPECT_EQ(ErroDe([] { ParaInteiro16("32768"); }), "Estouro");
    EXPECT_EQ(ErroDe([] { ParaInteiro16("32767.5"); }), "Estouro");
    EXPECT_EQ(ErroDe([] { ParaInteiro16("-40000"); }), "Estouro");
}

TEST(ParaInteiro, DeDouble) {
    EXPECT_EQ(ParaInteiro16(2.5), 2);
    EXPECT_EQ(ParaInteiro16(-3.5), -4);
    EXPECT_EQ(ParaInteiro32(1e9), 1000000000);
    EXPECT_THROW(ParaInteiro32(3e9), Erro);
    EXPECT_THROW(ParaInteiro16(std::numeric_limits<double>::quiet_NaN()), Erro);
}

TEST(Formata, PadroesDeValor) {
    EXPECT_EQ(Formata(1234.5, "###,##0.00"), "1.234,50");
    EXPECT_EQ(Formata(D(5000), "##,##0.00"), "0,50");
    EXPECT_EQ(Formata(D(100000), "##,##0.00"), "10,00");
    EXPECT_EQ(Formata(1234567.891, "#,##0.00"), "1.234.567,89");
    EXPECT_EQ(Formata(D(123), "#,##0.00"), "0,01");
    EXPECT_EQ(Formata(D(0), "###,##0.00"), "0,00");
    EXPECT_EQ(Formata(D(1234567890000000), "###,##0.00"), "123.456.789.000,00");
    EXPECT_EQ(Formata(D(10000000), "R$ ##,##0.00"), "R$ 1.000,00");
    EXPECT_EQ(Formata(D(355000), "R$ ##,##0.00"), "R$ 35,50");
}

TEST(Formata, ArredondaMetadeLongeDoZero) {
    EXPECT_EQ(Formata(D(23450), "0.00"), "2,35");
    EXPECT_EQ(Formata(D(23449), "0.00"), "2,34");
    EXPECT_EQ(Formata(D(-23450), "0.00"), "-2,35");
    EXPECT_EQ(Formata(D(9999950), "###,##0.00"), "1.000,00");  // carry reaches the grouping
    // A double is taken by its 15 significant digits: 1.005 is 1.00499999...
    // in binary but formats as 1,01.
    EXPECT_EQ(Formata(1.005, "0.00"), "1,01");
    EXPECT_EQ(Formata(2.675, "#,##0.00"), "2,68");
    EXPECT_EQ(Formata(0.125, "0.00"), "0,13");
}

TEST(Formata, Negativos) {
    EXPECT_EQ(Formata(D(-12345600), "###,##0.00"), "-1.234,56");
    EXPECT_EQ(Formata(D(-50000), "R$ ##,##0.00"), "-R$ 5,00");
    EXPECT_EQ(Formata(-0.004, "0.00"), "0,00");  // rounds to zero: no sign
    EXPECT_EQ(Formata(D(-10000), "00"), "-01");
}

TEST(Formata, QuantidadeComDoisDigitos) {
    EXPECT_EQ(Formata(D(10000), "00"), "01");
    EXPECT_EQ(Formata(D(120000), "00"), "12");
    EXPECT_EQ(Formata(D(1200000), "00"), "120");
    EXPECT_EQ(Formata(D(0), "00"), "00");
    EXPECT_EQ(Formata(D(25000), "00"), "03");
    EXPECT_EQ(Formata(D(15000), "00"), "02");
    EXPECT_EQ(Formata(D(14999), "00"), "01");
    EXPECT_EQ(Formata(2.0, "00"), "02");
}

TEST(Formata, DigitosOpcionaisETextoFixo) {
    EXPECT_EQ(Formata(D(15000), "0.##"), "1,5");
    EXPECT_EQ(Formata(D(20000), "0.##"), "2,");
    EXPECT_EQ(Formata(D(5000), "#.00"), ",50");
    EXPECT_EQ(Formata(D(0), "#"), "");
    EXPECT_EQ(Formata(D(12340), "0.0# kg"), "1,23 kg");
    EXPECT_EQ(Formata(D(1234567), "#,#"), "123");
    EXPECT_EQ(Formata(D(12345670000), "#,#"), "1.234.567");
    EXPECT_EQ(Formata(D(10000), "sem digitos"), "sem digitos");
}

TEST(TextoPadrao, Dinheiro) {
    EXPECT_EQ(TextoPadrao(D(15000)), "1,5");
    EXPECT_EQ(TextoPadrao(D(20000)), "2");
    EXPECT_EQ(TextoPadrao(D(125000)), "12,5");
    EXPECT_EQ(TextoPadrao(D(2500)), "0,25");
    EXPECT_EQ(TextoPadrao(D(-31000)), "-3,1");
    EXPECT_EQ(TextoPadrao(D(0)), "0");
    EXPECT_EQ(TextoPadrao(D(1)), "0,0001");
    EXPECT_EQ(TextoPadrao(D(-5000)), "-0,5");
    EXPECT_EQ(TextoPadrao(D(12345678)), "1234,5678");
    EXPECT_EQ(TextoPadrao(D(std::numeric_limits<std::int64_t>::min())), "-922337203685477,5808");
}

TEST(TextoPadrao, Double) {
    EXPECT_EQ(TextoPadrao(1.5), "1,5");
    EXPECT_EQ(TextoPadrao(30.0), "30");
    EXPECT_EQ(TextoPadrao(0.1 + 0.2), "0,3");
    EXPECT_EQ(TextoPadrao(1.0 / 3.0), "0,333333333333333");
    EXPECT_EQ(TextoPadrao(-0.0), "0");
    EXPECT_EQ(TextoPadrao(123456789012345.0), "123456789012345");
    EXPECT_EQ(TextoPadrao(1e15), "1E+15");
    EXPECT_EQ(TextoPadrao(0.0001), "0,0001");
    EXPECT_EQ(TextoPadrao(0.00001), "1E-05");
    EXPECT_EQ(TextoPadrao(-2.5e-7), "-2,5E-07");
    EXPECT_EQ(TextoPadrao(1.5e100), "1,5E+100");
}

// A double total held as text and read back as money keeps its value.
TEST(TextoPadrao, VoltaComoDinheiro) {
    EXPECT_EQ(LeDinheiro(TextoPadrao(3.0 * 10.0)), D(300000));
    EXPECT_EQ(LeDinheiro(TextoPadrao(0.1 * 3)), D(3000));
    EXPECT_EQ(LeDinheiro(TextoPadrao(0.00001)), D(0));
    EXPECT_EQ(LeDinheiro(TextoPadrao(D(-31000))), D(-31000));
}

TEST(DatasEHoras, Textos) {
    DataHora d{2024, 3, 5, 9, 5, 7, 2};
    EXPECT_EQ(DataAAAAMMDD(d), "2024/03/05");
    EXPECT_EQ(DataDDMMAAAA(d), "05/03/2024");
    EXPECT_EQ(HoraTexto(d), "09:05:07");
    EXPECT_EQ(DataHoraAAAAMMDD(d), "2024/03/05 09:05:07");
    DataHora noite{1999, 12, 31, 23, 59, 59, 5};
    EXPECT_EQ(DataDDMMAAAA(noite), "31/12/1999");
    EXPECT_EQ(HoraTexto(noite), "23:59:59");
}

}  // namespace
}  // namespace varelo
