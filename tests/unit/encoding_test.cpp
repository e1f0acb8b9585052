#include "base/encoding.h"

#include <gtest/gtest.h>

#include <utility>

namespace varelo {
namespace {

// Every defined byte of the upper half survives the trip to UTF-8 and back,
// and each one becomes a different character; the five undefined bytes read
// as U+FFFD, which has no byte of its own. A character without a byte is "?".
TEST(Cp1252, NosDoisSentidos) {
    EXPECT_EQ(DeCp1252(std::string("abc;12\r\n\0", 9)), std::string("abc;12\r\n\0", 9));
    EXPECT_EQ(DeCp1252("lim\xe3o \xe7\xc7 \x80\x85\x96\x97\x8a\x9f\xa0\xff"), "limão çÇ €…–—ŠŸ\u00a0ÿ");
    for (int b = 0x80; b <= 0xFF; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string utf8 = DeCp1252(byte);
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
            EXPECT_EQ(utf8, "\uFFFD") << b;
            EXPECT_EQ(ParaCp1252(utf8), "?") << b;
            continue;
        }
        EXPECT_TRUE(EhUtf8Valido(utf8)) << b;
        EXPECT_EQ(ParaCp1252(utf8), byte) << b;
    }
    EXPECT_EQ(ParaCp1252("Não Imprimir"), "N\xe3o Imprimir");
    EXPECT_EQ(ParaCp1252("a😀b"), "a?b");
    EXPECT_EQ(ParaCp1252("\u0081"), "?");    // a C1 control has no byte of its own here
    EXPECT_EQ(ParaCp1252("\xff" "a"), "?a");  // not UTF-8 at all
    EXPECT_EQ(ParaCp1252("\xc3"), "?");       // cut in the middle of a character
}

TEST(Utf8, Validacao) {
    const std::pair<const char*, bool> casos[] = {
        {"\xf0\x9f\x98\x80", true}, {"\xf4\x8f\xbf\xbf", true},  // U+10FFFF
        {"S\xe3o Paulo", false},                                  // Windows-1252
        {"\xc0\xaf", false}, {"\xe0\x80\xaf", false},              // overlong forms
        {"\xed\xa0\x80", false}, {"\xf4\x90\x80\x80", false},      // surrogate, above U+10FFFF
        {"\xe2\x82", false}, {"\x80", false},                      // truncated, lone continuation byte
        {"\xf8\x88\x80\x80\x80", false}};
    for (const auto& [bytes, valido] : casos) EXPECT_EQ(EhUtf8Valido(bytes), valido) << bytes;
    // One invalid byte makes the whole text Windows-1252.
    EXPECT_EQ(Utf8OuCp1252("\xc3\xa9 \xe9"), "Ã© é");
}

// The driver's wide text: always valid UTF-16, and back.
TEST(Utf16, IdaEVolta) {
    EXPECT_EQ(ParaUtf16("Ação \xf0\x9f\x98\x80"), u"Ação \U0001F600");
    EXPECT_EQ(ParaUtf16("a\xe9" "b\xed\xa0\x80"), u"a\uFFFDb\uFFFD\uFFFD\uFFFD");  // Windows-1252, a surrogate
    const std::u16string volta = u"Pão \U0001F600";
    EXPECT_EQ(ParaUtf8(volta.data(), volta.size()), "Pão \xf0\x9f\x98\x80");
    const char16_t sozinho[] = {u'x', 0xD800, u'y'};
    EXPECT_EQ(ParaUtf8(sozinho, 3), "x\uFFFDy");
}

}  // namespace
}  // namespace varelo
