// The request record parser on random and hostile bytes: every line either
// splits into fields or is refused with Erro, never anything else, and a
// well-formed line splits into exactly the fields it was built from.
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

enum class Resultado { Dividida, Recusada };

// Splits the line; any exception other than Erro fails the test.
Resultado Divide(const std::string& linha, Campos& a, const std::string& origem) {
    try {
        ParseToArrayPvirg(linha, a);
        return Resultado::Dividida;
    } catch (const Erro&) {
        return Resultado::Recusada;
    } catch (const std::exception& e) {
        ADD_FAILURE() << origem << ": not an Erro: " << e.what();
    }
    return Resultado::Recusada;
}

// Whatever the outcome, each field holds a piece of the line: the parser
// only ever cuts the line, it never makes text up.
void ConfereTrechos(const std::string& linha, const Campos& a, const std::string& origem) {
    for (std::size_t i = 0; i < a.size(); ++i)
        ASSERT_NE(linha.find(a[i]), std::string::npos)
            << origem << ": field " << i << " is not part of the line";
}

// A field as a handheld writes it and the text it stands for: plain text
// without ";" and apostrophes, or text without apostrophes enclosed in them
// (then ";" may stand inside).
struct CampoModelo {
    std::string escrito;
    std::string texto;
};

std::string SemCaracteres(std::string s, const std::string& proibidos, char troca) {
    for (char& c : s)
        if (proibidos.find(c) != std::string::npos) c = troca;
    return s;
}

CampoModelo CampoAleatorio(Gerador& g, bool ultimo) {
    const std::size_t n = g.entre(0, g.chance(5) ? 400 : 12);
    if (!ultimo && g.chance(35)) {
        std::string texto = SemCaracteres(g.bytesDeRegistro(n), "'\r", 'q');
        return {"'" + texto + "'", texto};
    }
    std::string texto = SemCaracteres(g.bytesDeRegistro(n), ";'\r", 'p');
    // Only the last field is trimmed, and of spaces only.
    std::string esperado = ultimo ? Apara(texto) : texto;
    return {texto, esperado};
}

TEST(RegistroRuim, BytesAleatoriosDividemOuSaoRecusados) {
    Gerador g(20240305);
    for (std::size_t it = 0; it < 20000; ++it) {
        const std::string origem = Origem(g, it);
        const std::string linha =
            g.chance(50) ? g.bytes(g.entre(0, 64)) : g.bytesDeRegistro(g.entre(0, 200));
        Campos a{};
        Divide(linha, a, origem);
        ConfereTrechos(linha, a, origem);
        if (HasFatalFailure()) return;
    }
}

TEST(RegistroRuim, LinhaBemFormadaDaOsCamposDeQueFoiFeita) {
    Gerador g(77);
    for (std::size_t it = 0; it < 5000; ++it) {
        const std::string origem = Origem(g, it);
        const std::size_t n = g.entre(1, 12);
        std::string linha;
        Campos esperado{};
        for (std::size_t i = 0; i < n; ++i) {
            const CampoModelo c = CampoAleatorio(g, i + 1 == n);
            linha += (i ? ";" : "") + c.escrito;
            if (i < esperado.size()) esperado[i] = c.texto;
        }
        Campos a{};
        const Resultado r = Divide(linha, a, origem);
        if (n <= 8) {
            ASSERT_EQ(r, Resultado::Dividida) << origem << ": " << linha;
            ASSERT_EQ(a, esperado) << origem << ": " << linha;
        } else {
            // A ninth field is refused; the eight before it are filled.
            ASSERT_EQ(r, Resultado::Recusada) << origem << ": " << linha;
            ASSERT_EQ(a, esperado) << origem << ": " << linha;
        }
    }
}

TEST(RegistroRuim, ApostrofoSemFechamentoEhRecusado) {
    Gerador g(4242);
    for (std::size_t it = 0; it < 3000; ++it) {
        const std::string origem = Origem(g, it);
        // Fields before the open one, then an apostrophe, a ";" and nothing
        // that could close it.
        const std::size_t antes = g.entre(0, 6);
        std::string linha;
        for (std::size_t i = 0; i < antes; ++i)
            linha += SemCaracteres(g.bytesDeRegistro(g.entre(0, 8)), ";'", 'z') + ";";
        linha += "'" + SemCaracteres(g.bytesDeRegistro(g.entre(0, 30)), "'", 'w') + ";" +
                 SemCaracteres(g.bytesDeRegistro(g.entre(0, 30)), "'", 'w');
        Campos a{};
        ASSERT_EQ(Divide(linha, a, origem), Resultado::Recusada) << origem << ": " << linha;
        ConfereTrechos(linha, a, origem);
    }
}

TEST(RegistroRuim, LinhasEnormes) {
    constexpr std::size_t kMega = 1 << 20;
    Gerador g(1048576);
    std::vector<std::string> linhas = {
        std::string(kMega, 'a'),
        std::string(kMega, ';'),
        std::string(kMega, '\''),
        std::string(kMega, ' '),
        "'" + std::string(kMega, ';'),
        "'" + std::string(kMega, ';') + "'",
        std::string(kMega, 'b') + ";'" + std::string(kMega, 'c') + ";" + std::string(kMega, 'd'),
        g.bytes(kMega),
        g.bytesDeRegistro(kMega),
    };
    // Seven huge fields and a huge last one: exactly eight.
    std::string oito;
    for (int i = 0; i < 8; ++i) oito += (i ? ";" : "") + std::string(kMega / 8, static_cast<char>('A' + i));
    linhas.push_back(oito);

    for (std::size_t i = 0; i < linhas.size(); ++i) {
        const std::string origem = Origem(g, i);
        Campos a{};
        const Resultado r = Divide(linhas[i], a, origem);
        ConfereTrechos(linhas[i], a, origem);
        if (i == 0) {
            EXPECT_EQ(r, Resultado::Dividida);
            EXPECT_EQ(a[0].size(), kMega);
        }
        if (i == 1 || i == 4) EXPECT_EQ(r, Resultado::Recusada) << origem;
        if (i == 3) {
            EXPECT_EQ(r, Resultado::Dividida);
            EXPECT_EQ(a[0], "");
        }
        if (i == 5) {
            EXPECT_EQ(r, Resultado::Dividida);
            EXPECT_EQ(a[0], std::string(kMega, ';'));
        }
        if (i == linhas.size() - 1) {
            ASSERT_EQ(r, Resultado::Dividida);
            for (int k = 0; k < 8; ++k)
                EXPECT_EQ(a[k], std::string(kMega / 8, static_cast<char>('A' + k))) << k;
        }
    }
}

TEST(RegistroRuim, MuitosCampos) {
    Gerador g(9);
    for (std::size_t it = 0; it < 200; ++it) {
        const std::string origem = Origem(g, it);
        const std::size_t n = g.entre(9, 20000);
        std::string linha;
        for (std::size_t i = 0; i < n; ++i) linha += (i ? ";" : "") + std::to_string(i);
        Campos a{};
        ASSERT_EQ(Divide(linha, a, origem), Resultado::Recusada) << origem;
        for (std::size_t i = 0; i < 8; ++i) ASSERT_EQ(a[i], std::to_string(i)) << origem;
    }
}

TEST(RegistroRuim, TrocaDeSeparadorDecimalSoMudaOSeparador) {
    Gerador g(31337);
    for (std::size_t it = 0; it < 5000; ++it) {
        const std::string origem = Origem(g, it);
        const std::string texto =
            g.chance(2) ? g.bytesDeRegistro(1 << 20) : g.bytesDeRegistro(g.entre(0, 100));
        const std::string ponto = VirgulaParaPonto(texto);
        const std::string virgula = PontoParaVirgula(texto);
        std::string pontoEsperado = texto, virgulaEsperada = texto;
        for (std::size_t i = 0; i < texto.size(); ++i) {
            if (texto[i] == ',') pontoEsperado[i] = '.';
            if (texto[i] == '.') virgulaEsperada[i] = ',';
        }
        ASSERT_TRUE(ponto == pontoEsperado) << origem;
        ASSERT_TRUE(virgula == virgulaEsperada) << origem;
    }
}

// The request file's first line, up to the first CR, in UTF-8.
class LeituraRuim : public ::testing::Test {
protected:
    std::string Le(const std::string& nome) { return LeArquivo(disco, relogio, pasta.arquivo(nome)); }

    PastaTemporaria pasta;
    ArquivosDisco disco;
    RelogioManual relogio;
};

TEST_F(LeituraRuim, ArquivosAleatoriosDaoAPrimeiraLinhaEmUtf8) {
    Gerador g(1252);
    for (std::size_t it = 0; it < 2000; ++it) {
        const std::string origem = Origem(g, it);
        std::string bytes;
        switch (g.entre(0, 3)) {
            case 0: bytes = g.bytes(g.entre(1, 300)); break;
            case 1: bytes = g.bytesDeRegistro(g.entre(1, 300)); break;
            case 2: bytes = std::string(g.entre(1, 20), '\r') + g.bytes(10); break;
            default: bytes = g.bytes(g.entre(1, 4)) + std::string(1, '\0') + g.bytes(g.entre(0, 4)); break;
        }
        pasta.escreve("INCLUSAO1.txt", bytes);
        const std::size_t esperasAntes = relogio.esperas().size();
        const std::string linha = Le("INCLUSAO1.txt");
        const std::string primeira = bytes.substr(0, bytes.find('\r'));
        ASSERT_EQ(linha, DeCp1252(primeira)) << origem;
        ASSERT_TRUE(EhUtf8Valido(linha)) << origem;
        // One character per Windows-1252 byte, NUL included.
        ASSERT_EQ(Largura(linha), primeira.size()) << origem;
        // A file with something in it is read at the first attempt.
        ASSERT_EQ(relogio.esperas().size(), esperasAntes) << origem;
        if (primeira.find_first_of("\x81\x8D\x8F\x90\x9D") == std::string::npos)
            ASSERT_EQ(ParaCp1252(linha), primeira) << origem;
    }
}

TEST_F(LeituraRuim, ArquivoEnormeSemFimDeLinha) {
    Gerador g(2);
    const std::string bytes = g.bytes(1 << 20);
    std::string semCr = bytes;
    for (char& c : semCr)
        if (c == '\r') c = '\n';
    pasta.escreve("INCLUSAO2.txt", semCr);
    const std::string linha = Le("INCLUSAO2.txt");
    EXPECT_EQ(Largura(linha), semCr.size());
    EXPECT_TRUE(EhUtf8Valido(linha));
    Campos a{};
    Divide(linha, a, "huge file");
    ConfereTrechos(linha, a, "huge file");
}

TEST_F(LeituraRuim, VazioAusenteOuPastaDaoTextoVazioDepoisDeCincoTentativas) {
    pasta.escreve("vazio.txt", "");
    for (const char* nome : {"vazio.txt", "ausente.txt", ""}) {
        const std::size_t antes = relogio.esperas().size();
        EXPECT_EQ(Le(nome), "") << nome;
        ASSERT_EQ(relogio.esperas().size() - antes, 5u) << nome;
        for (std::size_t i = antes; i < relogio.esperas().size(); ++i)
            EXPECT_EQ(relogio.esperas()[i], std::chrono::milliseconds(1000)) << nome;
    }
}

}  // namespace
}  // namespace varelo
