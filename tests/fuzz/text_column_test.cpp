// Text read back from the server is the text that was stored, whatever its
// characters: the MariaDB driver's reported length is short by one unit for
// every character from U+xxD8 to U+xxDB, and reading by that length lost the
// end of any text holding "Ú", "Ø", "Ù" or "Û" ("AÇÚCAR" read "AÇÚCA").
// Bytes that are not UTF-8 (a request file's name) reach the server as
// U+FFFD instead of failing the statement.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/banco.h"
#include "db/sql.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

// One UTF-8 character.
std::string Utf8(char32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (cp >> 18));
        s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

class TextoDoBanco : public ::testing::Test {
protected:
    void SetUp() override { ContextoTeste::LimpaBanco(); }

    // Stores the text in a TEXT column and reads it back.
    std::string IdaEVolta(const std::string& texto) {
        t.banco.AbreBanco("Delete from Logs");
        t.banco.FechaBanco();
        t.banco.AbreBanco("Insert into Logs (log) values ('" + t.banco.Escapa(texto) + "')");
        t.banco.FechaBanco();
        const std::vector<std::string> lido = t.consulta("Select log from Logs", "log");
        return lido.size() == 1 ? lido[0] : "<" + std::to_string(lido.size()) + " rows>";
    }

    ContextoTeste t;
};

TEST_F(TextoDoBanco, CaracteresQueODriverContaMal) {
    EXPECT_EQ(IdaEVolta("AÇÚCAR"), "AÇÚCAR");
    EXPECT_EQ(IdaEVolta("ØG"), "ØG");
    EXPECT_EQ(IdaEVolta("ÙÚ fim"), "ÙÚ fim");
    EXPECT_EQ(IdaEVolta("Ú"), "Ú");
    // Runs of them, at the end of a statement too.
    EXPECT_EQ(IdaEVolta("ÙÚÛØ fim"), "ÙÚÛØ fim");
    EXPECT_EQ(IdaEVolta("fim ØØØØØØØØ"), "fim ØØØØØØØØ");
}

TEST_F(TextoDoBanco, BytesQueNaoSaoUtf8ViramSubstituto) {
    const std::string kSubstituto = "\xEF\xBF\xBD";
    EXPECT_EQ(IdaEVolta("PALM Imprimiu \r8'42\xFF"), "PALM Imprimiu \r8'42" + kSubstituto);
    // An encoded surrogate, a truncated sequence, an overlong one, a stray
    // continuation byte and a value beyond U+10FFFF.
    EXPECT_EQ(IdaEVolta("a\xED\xA0\x80" "b"), "a" + kSubstituto + kSubstituto + kSubstituto + "b");
    EXPECT_EQ(IdaEVolta("fim\xC3"), "fim" + kSubstituto);
    EXPECT_EQ(IdaEVolta("\xC0\xAF"), kSubstituto + kSubstituto);
    EXPECT_EQ(IdaEVolta("\x80x"), kSubstituto + "x");
    EXPECT_EQ(IdaEVolta("\xF4\x90\x80\x80"), kSubstituto + kSubstituto + kSubstituto + kSubstituto);
    EXPECT_EQ(IdaEVolta("\xE2\x82" "A"), kSubstituto + kSubstituto + "A");
}

TEST_F(TextoDoBanco, CadaCaractereSeguidoDeTexto) {
    // Every character of the two-byte range and a sample of the others,
    // before and after plain text.
    std::vector<char32_t> pontos;
    for (char32_t cp = 0x80; cp < 0x800; ++cp) pontos.push_back(cp);
    for (char32_t cp = 0x800; cp < 0xD800; cp += 0x53) pontos.push_back(cp);
    for (char32_t cp : {0xFFFDu, 0x1F600u, 0x10FFFFu}) pontos.push_back(cp);
    std::string texto;
    std::string esperado;
    for (char32_t cp : pontos) texto += Utf8(cp) + "x";
    EXPECT_EQ(IdaEVolta(texto), texto);
}

}  // namespace
}  // namespace varelo
