#include "base/record.h"

#include <gtest/gtest.h>

#include <chrono>
#include <utility>

#include "base/errors.h"
#include "base/files.h"
#include "base/regional.h"
#include "tests/support/manual_clock.h"
#include "tests/support/scratch_dir.h"

namespace varelo {
namespace {

using std::chrono::milliseconds;
using Campos = std::array<std::string, 8>;

// The description of the Erro for `linha`, or "" when the split succeeds.
std::string ErroDe(const std::string& linha, Campos& a) {
    try {
        ParseToArrayPvirg(linha, a);
    } catch (const Erro& e) {
        return e.what();
    }
    return "";
}

TEST(ParseToArrayPvirg, CamposApostrofosEEspacos) {
    const std::pair<const char*, Campos> casos[] = {
        {"15;Inteira;42;'sem gelo; com limao';7;A1;;0",
         {"15", "Inteira", "42", "sem gelo; com limao", "7", "A1", "", "0"}},
        {"a;;c;", {"a", "", "c"}}, {"", {}},
        // Only the last field is trimmed, of spaces only.
        {" 5 ; 6 ", {" 5 ", "6"}}, {"1;\t2 ", {"1", "\t2"}},
        // A field enclosed in apostrophes may hold ";".
        {"'x;y';2", {"x;y", "2"}}, {"12;'a;b;c';3", {"12", "a;b;c", "3"}},
        {"1;';';2", {"1", ";", "2"}}, {"1;'';2", {"1", "", "2"}},
        // Enclosed last field: the closing apostrophe ends the line, and the
        // empty text after it is one more field. In the last field there is
        // no search for the closing apostrophe.
        {"12;'a;b'", {"12", "a;b", ""}}, {"12;'abc", {"12", "ab"}},
        // Any field holding an apostrophe loses its first and last character,
        // whether or not they are apostrophes; the last field is trimmed first.
        {"12;D'Agua;3", {"12", "'Agu", "3"}}, {"12;x'", {"12", ""}}, {"1; 'a' ", {"1", "a"}},
        // What follows the closing apostrophe before the next ";" is dropped.
        {"'a;b'x;3", {"a;b", "", "3"}}};
    for (const auto& [linha, esperado] : casos) {
        Campos a;
        EXPECT_EQ(ErroDe(linha, a), "") << linha;
        EXPECT_EQ(a, esperado) << linha;
    }
}

// The fields before the failure are already filled.
TEST(ParseToArrayPvirg, NonoCampoEApostrofoSemFechamentoSaoErros) {
    Campos a, b, c;
    EXPECT_EQ(ErroDe("1;2;3;4;5;6;7;8;", a), "Subscrito fora do intervalo");
    EXPECT_EQ(a[7], "8");
    EXPECT_EQ(ErroDe("1;2;3;4;5;6;7;8;9;10", b), "Subscrito fora do intervalo");
    const std::string e = ErroDe("12;'abc;3", c);
    EXPECT_NE(e.find("Apóstrofo sem fechamento"), std::string::npos) << e;
    EXPECT_EQ(c[0], "12");
}

TEST(SeparadorDecimal, TrocaTodos) {
    EXPECT_EQ(VirgulaParaPonto("1.234,56,7"), "1.234.56.7");
    EXPECT_EQ(PontoParaVirgula("a.b,c."), "a,b,c,");
}

// What LeArquivo returned for a request file holding `inicial` (none when
// nullptr), and the waits it made; `conteudo` is written when wait number
// `naEspera` ends.
using Leitura = std::pair<std::string, std::vector<milliseconds>>;
Leitura Le(const char* inicial, std::size_t naEspera = 0, const std::string& conteudo = "") {
    PastaTemporaria pasta;
    ArquivosDisco disco;
    RelogioManual relogio;
    if (inicial) pasta.escreve("INCLUSAO42.txt", inicial);
    relogio.aoEsperar([&](std::size_t n) {
        if (n == naEspera) pasta.escreve("INCLUSAO42.txt", conteudo);
    });
    return {LeArquivo(disco, relogio, pasta.arquivo("INCLUSAO42.txt")), relogio.esperas()};
}

// The first line runs to the first CR (a lone LF does not end it), and an
// empty first line is read at once. A missing or empty file is tried five
// times, each failed attempt followed by a one-second wait.
TEST(LeArquivo, PrimeiraLinhaEmCp1252EmAteCincoTentativas) {
    const std::vector<milliseconds> nenhuma, quatro(4, milliseconds(1000)), cinco(5, milliseconds(1000));
    EXPECT_EQ(Le("15;Inteira;42;'lim\xe3o';7;Jo\xe3o;;0\r\nsegunda linha\r\n"),
              (Leitura{"15;Inteira;42;'limão';7;João;;0", nenhuma}));
    EXPECT_EQ(Le("a\nb\rc"), (Leitura{"a\nb", nenhuma}));
    EXPECT_EQ(Le("so LF\n"), (Leitura{"so LF\n", nenhuma}));
    EXPECT_EQ(Le("\r\nJoao\r\n"), (Leitura{"", nenhuma}));
    EXPECT_EQ(Le("", 4, "ultima chance"), (Leitura{"ultima chance", quatro}));
    EXPECT_EQ(Le(nullptr, 5, "tarde demais"), (Leitura{"", cinco}));
}

// ---- RelogioManual, which these tests and the schedule tests lean on ----

std::string Quando(const RelogioManual& r) {
    return DataHoraAAAAMMDD(r.agora()) + " dia " + std::to_string(r.agora().diaSemana);
}

TEST(RelogioManual, EsperaAvancaOTempoEODiaDaSemana) {
    RelogioManual r(DataHora{2024, 2, 28, 23, 59, 58, 0});
    r.espera(milliseconds(1500));
    r.espera(milliseconds(1500));
    EXPECT_EQ(Quando(r), "2024/02/29 00:00:01 dia 4");  // a Thursday
    r.define(DataHora{1999, 12, 31, 23, 59, 59, 0});
    r.avanca(milliseconds(1000));
    EXPECT_EQ(Quando(r), "2000/01/01 00:00:00 dia 6");  // a Saturday
    EXPECT_EQ(r.esperas().size(), 2u);                    // avanca is not a wait
}

}  // namespace
}  // namespace varelo
