#include "base/record.h"

#include <gtest/gtest.h>

#include <chrono>
#include <utility>

#include "base/files.h"
#include "base/regional.h"
#include "tests/support/manual_clock.h"
#include "tests/support/scratch_dir.h"

namespace varelo {
namespace {

using std::chrono::milliseconds;

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
