#include "app/encoding.h"

#include <gtest/gtest.h>

namespace varelo {
namespace {

TEST(Cp1252, BytesParaUtf8) {
    EXPECT_EQ(DeCp1252("abc;12\r\n"), "abc;12\r\n");
    EXPECT_EQ(DeCp1252("N\xe3o Imprimir"), "Não Imprimir");
    EXPECT_EQ(DeCp1252("lim\xe3o \xe7\xc7"), "limão çÇ");
    EXPECT_EQ(DeCp1252("\x80"), "€");
    EXPECT_EQ(DeCp1252("\x85\x96\x97"), "…–—");
    EXPECT_EQ(DeCp1252("\x8a\x9f"), "ŠŸ");
    EXPECT_EQ(DeCp1252("\xa0\xff"), "\u00a0ÿ");
    EXPECT_EQ(DeCp1252(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp1252, BytesIndefinidosViramSubstituto) {
    for (char b : {'\x81', '\x8d', '\x8f', '\x90', '\x9d'}) {
        EXPECT_EQ(DeCp1252(std::string(1, b)), "\uFFFD") << int(static_cast<unsigned char>(b));
        EXPECT_EQ(ParaCp1252(DeCp1252(std::string(1, b))), "?");
    }
}

// Every defined byte of the upper half survives the trip to UTF-8 and back,
// and each one becomes a different character.
TEST(Cp1252, IdaEVoltaDaMetadeSuperior) {
    std::string todos;
    for (int b = 0x80; b <= 0xFF; ++b) {
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) continue;
        std::string byte(1, static_cast<char>(b));
        std::string utf8 = DeCp1252(byte);
        EXPECT_TRUE(EhUtf8Valido(utf8)) << b;
        EXPECT_GE(utf8.size(), 2u) << b;
        EXPECT_EQ(ParaCp1252(utf8), byte) << b;
        todos += byte;
    }
    EXPECT_EQ(ParaCp1252(DeCp1252(todos)), todos);
}

TEST(Cp1252, Utf8ParaBytes) {
    EXPECT_EQ(ParaCp1252("Não Imprimir"), "N\xe3o Imprimir");
    EXPECT_EQ(ParaCp1252("€ 5,00 – ok"), "\x80 5,00 \x96 ok");
    EXPECT_EQ(ParaCp1252("œ™"), "\x9c\x99");
    EXPECT_EQ(ParaCp1252("日本"), "??");
    EXPECT_EQ(ParaCp1252("a😀b"), "a?b");
    EXPECT_EQ(ParaCp1252("\u0081"), "?");    // a C1 control has no byte of its own here
    EXPECT_EQ(ParaCp1252("\xff" "a"), "?a");  // not UTF-8 at all
    EXPECT_EQ(ParaCp1252("\xc3"), "?");       // cut in the middle of a character
}

TEST(Utf8, Validacao) {
    EXPECT_TRUE(EhUtf8Valido(""));
    EXPECT_TRUE(EhUtf8Valido("ascii only"));
    EXPECT_TRUE(EhUtf8Valido("São Paulo €"));
    EXPECT_TRUE(EhUtf8Valido("\xf0\x9f\x98\x80"));
    EXPECT_TRUE(EhUtf8Valido("\xf4\x8f\xbf\xbf"));    // U+10FFFF
    EXPECT_FALSE(EhUtf8Valido("S\xe3o Paulo"));       // Windows-1252
    EXPECT_FALSE(EhUtf8Valido("\xc0\xaf"));           // overlong "/"
    EXPECT_FALSE(EhUtf8Valido("\xe0\x80\xaf"));       // overlong, three bytes
    EXPECT_FALSE(EhUtf8Valido("\xed\xa0\x80"));       // surrogate
    EXPECT_FALSE(EhUtf8Valido("\xf4\x90\x80\x80"));   // above U+10FFFF
    EXPECT_FALSE(EhUtf8Valido("\xe2\x82"));           // truncated
    EXPECT_FALSE(EhUtf8Valido("\x80"));               // lone continuation byte
    EXPECT_FALSE(EhUtf8Valido("\xf8\x88\x80\x80\x80"));
}

TEST(Utf8, OuCp1252) {
    EXPECT_EQ(Utf8OuCp1252("João"), "João");
    EXPECT_EQ(Utf8OuCp1252("Jo\xe3o"), "João");
    // One invalid byte makes the whole text Windows-1252.
    EXPECT_EQ(Utf8OuCp1252("\xc3\xa9 \xe9"), "Ã© é");
}

}  // namespace
}  // namespace varelo
