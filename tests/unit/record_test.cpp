#include "transactions/record.h"

#include <gtest/gtest.h>

#include <chrono>

#include "app/errors.h"
#include "app/files.h"
#include "tests/support/manual_clock.h"
#include "tests/support/scratch_dir.h"

namespace varelo {
namespace {

using std::chrono::milliseconds;
using Campos = std::array<std::string, 8>;

Campos Divide(const std::string& linha) {
    Campos a;
    ParseToArrayPvirg(linha, a);
    return a;
}

std::string ErroDe(const std::string& linha, Campos* a = nullptr) {
    Campos local;
    try {
        ParseToArrayPvirg(linha, a ? *a : local);
    } catch (const Erro& e) {
        return e.what();
    }
    return "";
}

TEST(ParseToArrayPvirg, CamposSimplesEVazios) {
    EXPECT_EQ(Divide("1;2;3"), (Campos{"1", "2", "3", "", "", "", "", ""}));
    EXPECT_EQ(Divide("a;;c;"), (Campos{"a", "", "c", "", "", "", "", ""}));
    EXPECT_EQ(Divide(""), Campos{});
    EXPECT_EQ(Divide(";"), Campos{});
    EXPECT_EQ(Divide("1;2;3;4;5;6;7;8"), (Campos{"1", "2", "3", "4", "5", "6", "7", "8"}));
}

TEST(ParseToArrayPvirg, SoOUltimoCampoEhAparadoDeEspacos) {
    EXPECT_EQ(Divide("  sem separador  "), (Campos{"sem separador"}));
    EXPECT_EQ(Divide(" 5 ; 6 "), (Campos{" 5 ", "6"}));
    // Tabs are not spaces.
    EXPECT_EQ(Divide("1;\t2 "), (Campos{"1", "\t2"}));
}

TEST(ParseToArrayPvirg, CampoEntreApostrofos) {
    EXPECT_EQ(Divide("12;'a;b';3"), (Campos{"12", "a;b", "3"}));
    EXPECT_EQ(Divide("12;'abc';3"), (Campos{"12", "abc", "3"}));
    EXPECT_EQ(Divide("12;'a;b;c';3"), (Campos{"12", "a;b;c", "3"}));
    EXPECT_EQ(Divide("'x;y';2"), (Campos{"x;y", "2"}));
    EXPECT_EQ(Divide("1;';';2"), (Campos{"1", ";", "2"}));
    EXPECT_EQ(Divide("1;'';2"), (Campos{"1", "", "2"}));
    // Enclosed last field: the closing apostrophe ends the line, and the
    // empty text after it is one more field.
    EXPECT_EQ(Divide("12;'a;b'"), (Campos{"12", "a;b", ""}));
    EXPECT_EQ(Divide("12;'ab'"), (Campos{"12", "ab"}));
}

// Any field holding an apostrophe loses its first and last character,
// whether or not they are apostrophes.
TEST(ParseToArrayPvirg, ApostrofoNoMeioDoCampo) {
    EXPECT_EQ(Divide("12;x'y;3"), (Campos{"12", "'", "3"}));
    EXPECT_EQ(Divide("12;D'Agua;3"), (Campos{"12", "'Agu", "3"}));
    EXPECT_EQ(Divide("12;x'"), (Campos{"12", ""}));
    EXPECT_EQ(Divide("1; 'a' "), (Campos{"1", "a"}));  // last field trimmed first
    // What follows the closing apostrophe before the next ";" is dropped.
    EXPECT_EQ(Divide("'a;b'x;3"), (Campos{"a;b", "", "3"}));
}

TEST(ParseToArrayPvirg, LinhaDeInclusao) {
    Campos a = Divide("15;Inteira;42;'sem gelo; com limao';7;A1;;0");
    EXPECT_EQ(a, (Campos{"15", "Inteira", "42", "sem gelo; com limao", "7", "A1", "", "0"}));
}

TEST(ParseToArrayPvirg, NonoCampoEhErro) {
    Campos a;
    EXPECT_EQ(ErroDe("1;2;3;4;5;6;7;8;9", &a), "Subscrito fora do intervalo");
    EXPECT_EQ(a[7], "8");  // filled up to the failure
    EXPECT_EQ(ErroDe("1;2;3;4;5;6;7;8;9;10"), "Subscrito fora do intervalo");
    EXPECT_EQ(ErroDe("1;2;3;4;5;6;7;'8;x';"), "Subscrito fora do intervalo");
    EXPECT_EQ(ErroDe("1;2;3;4;5;6;7;8;"), "Subscrito fora do intervalo");
}

TEST(ParseToArrayPvirg, ApostrofoSemFechamentoEhErro) {
    Campos a;
    std::string e = ErroDe("12;'abc;3", &a);
    EXPECT_NE(e.find("Apóstrofo sem fechamento"), std::string::npos) << e;
    EXPECT_EQ(a[0], "12");
    EXPECT_NE(ErroDe("';1").find("Apóstrofo"), std::string::npos);
    EXPECT_NE(ErroDe("1;';2").find("Apóstrofo"), std::string::npos);
    // In the last field there is no search for the closing apostrophe.
    EXPECT_EQ(Divide("12;'abc"), (Campos{"12", "ab"}));
}

TEST(SeparadorDecimal, VirgulaEPonto) {
    EXPECT_EQ(VirgulaParaPonto("1,5"), "1.5");
    EXPECT_EQ(VirgulaParaPonto("1.234,56"), "1.234.56");
    EXPECT_EQ(VirgulaParaPonto("12"), "12");
    EXPECT_EQ(PontoParaVirgula("12.50"), "12,50");
    EXPECT_EQ(PontoParaVirgula("a.b.c"), "a,b,c");
    EXPECT_EQ(PontoParaVirgula("7"), "7");
    EXPECT_EQ(PontoParaVirgula(""), "");
}

// ---- LeArquivo ----

class LeArquivoTeste : public ::testing::Test {
protected:
    PastaTemporaria pasta;
    ArquivosDisco disco;
    RelogioManual relogio;
    std::string caminho = pasta.arquivo("INCLUSAO42.txt");

    std::string le() { return LeArquivo(disco, relogio, caminho); }
};

TEST_F(LeArquivoTeste, PrimeiraLinhaAteOPrimeiroCr) {
    pasta.escreve("INCLUSAO42.txt", "15;Inteira;42\r\nsegunda linha\r\n");
    EXPECT_EQ(le(), "15;Inteira;42");
    EXPECT_TRUE(relogio.esperas().empty());

    pasta.escreve("INCLUSAO42.txt", "a\nb\rc");  // a lone LF does not end the line
    EXPECT_EQ(le(), "a\nb");
    pasta.escreve("INCLUSAO42.txt", "sem fim de linha");
    EXPECT_EQ(le(), "sem fim de linha");
    pasta.escreve("INCLUSAO42.txt", "so LF\n");
    EXPECT_EQ(le(), "so LF\n");
    EXPECT_TRUE(relogio.esperas().empty());
}

TEST_F(LeArquivoTeste, TextoDoPalmEmCp1252) {
    pasta.escreve("INCLUSAO42.txt", "15;Inteira;42;'lim\xe3o';7;Jo\xe3o;;0\r\n");
    EXPECT_EQ(le(), "15;Inteira;42;'limão';7;João;;0");
}

// A line that is empty is still a line: it is read at once.
TEST_F(LeArquivoTeste, LinhaVaziaNaoEhFalha) {
    pasta.escreve("INCLUSAO42.txt", "\r\nJoao\r\n");
    EXPECT_EQ(le(), "");
    EXPECT_TRUE(relogio.esperas().empty());
}

TEST_F(LeArquivoTeste, ArquivoQueNuncaApareceCustaCincoSegundos) {
    EXPECT_EQ(le(), "");
    EXPECT_EQ(relogio.esperas(), std::vector<milliseconds>(5, milliseconds(1000)));
    EXPECT_EQ(relogio.totalEsperado(), milliseconds(5000));
}

TEST_F(LeArquivoTeste, ArquivoVazioContaComoFalha) {
    pasta.escreve("INCLUSAO42.txt", "");
    EXPECT_EQ(le(), "");
    EXPECT_EQ(relogio.esperas().size(), 5u);
}

TEST_F(LeArquivoTeste, ArquivoQueApareceDepois) {
    relogio.aoEsperar([&](std::size_t n) {
        if (n == 2) pasta.escreve("INCLUSAO42.txt", "Joao\r\n");
    });
    EXPECT_EQ(le(), "Joao");
    EXPECT_EQ(relogio.esperas().size(), 2u);
}

TEST_F(LeArquivoTeste, ConteudoQueChegaNaQuintaTentativa) {
    pasta.escreve("INCLUSAO42.txt", "");
    relogio.aoEsperar([&](std::size_t n) {
        if (n == 4) pasta.escreve("INCLUSAO42.txt", "ultima chance");
    });
    EXPECT_EQ(le(), "ultima chance");
    EXPECT_EQ(relogio.esperas().size(), 4u);
}

TEST_F(LeArquivoTeste, DepoisDaQuintaFalhaNaoTentaMais) {
    relogio.aoEsperar([&](std::size_t n) {
        if (n == 5) pasta.escreve("INCLUSAO42.txt", "tarde demais");
    });
    EXPECT_EQ(le(), "");
    EXPECT_EQ(relogio.esperas().size(), 5u);
}

// ---- RelogioManual, which these tests lean on ----

TEST(RelogioManual, EsperaAvancaOTempo) {
    RelogioManual r(DataHora{2024, 2, 28, 23, 59, 58, 0});
    EXPECT_EQ(r.agora().diaSemana, 3);  // a Wednesday
    r.espera(milliseconds(1500));
    r.espera(milliseconds(1500));
    DataHora d = r.agora();
    EXPECT_EQ(d.ano, 2024);
    EXPECT_EQ(d.mes, 2);
    EXPECT_EQ(d.dia, 29);
    EXPECT_EQ(d.hora, 0);
    EXPECT_EQ(d.minuto, 0);
    EXPECT_EQ(d.segundo, 1);
    EXPECT_EQ(d.diaSemana, 4);
    r.avanca(milliseconds(86400LL * 1000));
    EXPECT_EQ(r.agora().mes, 3);
    EXPECT_EQ(r.agora().dia, 1);
    EXPECT_EQ(r.esperas().size(), 2u);  // avanca is not a wait
    r.define(DataHora{1999, 12, 31, 23, 59, 59, 0});
    r.avanca(milliseconds(1000));
    EXPECT_EQ(r.agora().ano, 2000);
    EXPECT_EQ(r.agora().diaSemana, 6);  // 2000-01-01 was a Saturday
}

}  // namespace
}  // namespace varelo
