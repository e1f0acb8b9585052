// The request record parser and reader on random and hostile bytes: every
// line either splits into fields or is refused with Erro, never anything
// else, and a well-formed line splits into exactly the fields it was built
// from.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <exception>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "base/errors.h"
#include "base/files.h"
#include "base/record.h"
#include "base/text_columns.h"
#include "tests/fuzz/bad_input.h"
#include "tests/support/manual_clock.h"
#include "tests/support/scratch_dir.h"

namespace varelo {
namespace {

using Campos = std::array<std::string, 8>;
using ruim::Gerador;
using ruim::Origem;

// Splits the line: true when it split, false when refused with Erro. Any
// other exception, or a field that is not a piece of the line (the parser
// only ever cuts the line, it never makes text up), fails the test.
bool Divide(const std::string& linha, Campos& a, const std::string& origem) {
    bool dividida = false;
    try {
        ParseToArrayPvirg(linha, a);
        dividida = true;
    } catch (const Erro&) {
    } catch (const std::exception& e) {
        ADD_FAILURE() << origem << ": not an Erro: " << e.what();
    }
    for (std::size_t i = 0; i < a.size(); ++i)
        EXPECT_NE(linha.find(a[i]), std::string::npos) << origem << ": field " << i << " is not part of the line";
    return dividida;
}

std::string Sem(std::string s, const std::string& proibidos, char troca) {
    for (char& c : s)
        if (proibidos.find(c) != std::string::npos) c = troca;
    return s;
}

TEST(RegistroRuim, BytesAleatoriosDividemOuSaoRecusados) {
    Gerador g(20240305);
    for (std::size_t it = 0; it < 20000 && !HasFailure(); ++it) {
        Campos a{};
        Divide(g.chance(50) ? g.bytes(g.entre(0, 64)) : g.bytesDeRegistro(g.entre(0, 200)), a, Origem(g, it));
    }
}

// Fields as a handheld writes them: plain text without ";" and apostrophes
// (the last one trimmed of spaces), or text without apostrophes enclosed in
// them (then ";" may stand inside). A ninth field is refused, with the eight
// before it filled.
TEST(RegistroRuim, LinhaBemFormadaDaOsCamposDeQueFoiFeita) {
    Gerador g(77);
    for (std::size_t it = 0; it < 5000 && !HasFailure(); ++it) {
        const std::size_t n = g.entre(1, 12);
        std::string linha;
        Campos esperado{}, a{};
        for (std::size_t i = 0; i < n; ++i) {
            const bool ultimo = i + 1 == n, apostrofos = !ultimo && g.chance(35);
            const std::string texto =
                Sem(g.bytesDeRegistro(g.entre(0, g.chance(5) ? 400 : 12)), apostrofos ? "'\r" : ";'\r", 'p');
            linha += (i ? ";" : "") + (apostrofos ? "'" + texto + "'" : texto);
            if (i < esperado.size()) esperado[i] = ultimo ? Apara(texto) : texto;
        }
        EXPECT_EQ(Divide(linha, a, Origem(g, it)), n <= 8) << Origem(g, it) << ": " << linha;
        EXPECT_EQ(a, esperado) << Origem(g, it) << ": " << linha;
    }
}

// Fields before the open one, then an apostrophe, a ";" and nothing that
// could close it.
TEST(RegistroRuim, ApostrofoSemFechamentoEhRecusado) {
    Gerador g(4242);
    for (std::size_t it = 0; it < 3000 && !HasFailure(); ++it) {
        std::string linha;
        for (std::size_t i = g.entre(0, 6); i > 0; --i) linha += Sem(g.bytesDeRegistro(g.entre(0, 8)), ";'", 'z') + ";";
        linha += "'" + Sem(g.bytesDeRegistro(g.entre(0, 30)), "'", 'w') + ";" +
                 Sem(g.bytesDeRegistro(g.entre(0, 30)), "'", 'w');
        Campos a{};
        EXPECT_FALSE(Divide(linha, a, Origem(g, it))) << Origem(g, it) << ": " << linha;
    }
}

TEST(RegistroRuim, LinhasEnormesEMuitosCampos) {
    constexpr std::size_t kMega = 1 << 20;
    Gerador g(1048576);
    std::string oito;  // seven huge fields and a huge last one
    for (int i = 0; i < 8; ++i) oito += (i ? ";" : "") + std::string(kMega / 8, static_cast<char>('A' + i));
    struct Caso {
        std::string linha;
        int dividida;  // 1 split, 0 refused, -1 either
        std::string primeiro = "?";
    };
    const std::vector<Caso> casos = {
        {std::string(kMega, 'a'), 1, std::string(kMega, 'a')}, {std::string(kMega, ';'), 0},
        {std::string(kMega, '\''), -1}, {std::string(kMega, ' '), 1, ""}, {"'" + std::string(kMega, ';'), 0},
        {"'" + std::string(kMega, ';') + "'", 1, std::string(kMega, ';')},
        {std::string(kMega, 'b') + ";'" + std::string(kMega, 'c') + ";" + std::string(kMega, 'd'), -1},
        {g.bytes(kMega), -1}, {g.bytesDeRegistro(kMega), -1}, {oito, 1, std::string(kMega / 8, 'A')}};
    for (std::size_t i = 0; i < casos.size(); ++i) {
        Campos a{};
        const bool dividida = Divide(casos[i].linha, a, Origem(g, i));
        if (casos[i].dividida >= 0) EXPECT_EQ(dividida, casos[i].dividida == 1) << i;
        if (casos[i].primeiro != "?") EXPECT_TRUE(a[0] == casos[i].primeiro) << i;
    }
    for (std::size_t it = 0; it < 200 && !HasFailure(); ++it) {
        std::string linha;
        for (std::size_t i = 0, n = g.entre(9, 20000); i < n; ++i) linha += (i ? ";" : "") + std::to_string(i);
        Campos a{};
        EXPECT_FALSE(Divide(linha, a, Origem(g, it)));
        for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(a[i], std::to_string(i)) << Origem(g, it);
    }
}

TEST(RegistroRuim, TrocaDeSeparadorDecimalSoMudaOSeparador) {
    Gerador g(31337);
    for (std::size_t it = 0; it < 5000 && !HasFailure(); ++it) {
        const std::string texto = g.bytesDeRegistro(g.chance(2) ? 1 << 20 : g.entre(0, 100));
        std::string ponto = texto, virgula = texto;
        for (std::size_t i = 0; i < texto.size(); ++i) {
            if (texto[i] == ',') ponto[i] = '.';
            if (texto[i] == '.') virgula[i] = ',';
        }
        EXPECT_TRUE(VirgulaParaPonto(texto) == ponto && PontoParaVirgula(texto) == virgula) << Origem(g, it);
    }
}

// The request file's first line, up to the first CR, in UTF-8: one
// character per Windows-1252 byte, NUL included, read at the first attempt
// when the file holds something.
TEST(LeituraRuim, ArquivosAleatoriosDaoAPrimeiraLinhaEmUtf8) {
    PastaTemporaria pasta;
    ArquivosDisco disco;
    RelogioManual relogio;
    Gerador g(1252);
    for (std::size_t it = 0; it < 2000 && !HasFailure(); ++it) {
        std::string bytes;
        switch (g.entre(0, 3)) {
            case 0: bytes = g.bytes(g.entre(1, 300)); break;
            case 1: bytes = g.bytesDeRegistro(g.entre(1, 300)); break;
            case 2: bytes = std::string(g.entre(1, 20), '\r') + g.bytes(10); break;
            default: bytes = g.bytes(g.entre(1, 4)) + std::string(1, '\0') + g.bytes(g.entre(0, 4)); break;
        }
        const std::string primeira = bytes.substr(0, bytes.find('\r'));
        const std::string linha = LeArquivo(disco, relogio, pasta.escreve("INCLUSAO1.txt", bytes));
        EXPECT_EQ(linha, DeCp1252(primeira)) << Origem(g, it);
        EXPECT_TRUE(EhUtf8Valido(linha) && Largura(linha) == primeira.size()) << Origem(g, it);
        if (primeira.find_first_of("\x81\x8D\x8F\x90\x9D") == std::string::npos)
            EXPECT_EQ(ParaCp1252(linha), primeira) << Origem(g, it);
    }
    EXPECT_TRUE(relogio.esperas().empty());

    // A huge file without a line end.
    std::string semCr = g.bytes(1 << 20);
    for (char& c : semCr)
        if (c == '\r') c = '\n';
    const std::string linha = LeArquivo(disco, relogio, pasta.escreve("INCLUSAO2.txt", semCr));
    EXPECT_TRUE(Largura(linha) == semCr.size() && EhUtf8Valido(linha));
    Campos a{};
    Divide(linha, a, "huge file");

    // Empty, missing or a folder: an empty text after five one-second waits each.
    pasta.escreve("vazio.txt", "");
    for (const char* nome : {"vazio.txt", "ausente.txt", ""}) {
        const std::size_t antes = relogio.esperas().size();
        EXPECT_EQ(LeArquivo(disco, relogio, pasta.arquivo(nome)), "") << nome;
        EXPECT_EQ(std::vector(relogio.esperas().begin() + antes, relogio.esperas().end()),
                  std::vector(5, std::chrono::milliseconds(1000))) << nome;
    }
}

}  // namespace
}  // namespace varelo
