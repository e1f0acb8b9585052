#include <gtest/gtest.h>

#include "app/command_line.h"

namespace varelo {
namespace {

TEST(LinhaDeComando, OpcoesValoresEErros) {
    const OpcoesLinha o = LeOpcoes({"--headless", "--home", "/srv/varelo", "--print-to", "spool"});
    EXPECT_EQ(o.home, "/srv/varelo");
    EXPECT_EQ(o.imprimePara, "spool");
    EXPECT_TRUE(o.headless);
    EXPECT_FALSE(o.ajuda);
    EXPECT_TRUE(o.erro.empty());
    EXPECT_TRUE(LeOpcoes({"--help"}).ajuda);
    EXPECT_TRUE(LeOpcoes({"--version"}).versao);
    // A folder is taken as a value, never as an option.
    EXPECT_EQ(LeOpcoes({"--home", "--headless"}).home, "--headless");
    // Any of these ends the program with the usage status.
    EXPECT_EQ(LeOpcoes({"--home"}).erro, "--home needs a folder");
    EXPECT_EQ(LeOpcoes({"--print-to", ""}).erro, "--print-to needs a folder");
    EXPECT_EQ(LeOpcoes({"--headles"}).erro, "unknown option: --headles");
}

}  // namespace
}  // namespace varelo
