// Over the test context: the wiring of the procedures, and printer selection
// and fonts through its spool-folder printers (default, cozinha, bar).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/wiring.h"
#include "base/regional.h"
#include "checks/delivery_check.h"
#include "printing/layout.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

// The procedure folders call each other only through Procedimentos: the
// wiring must fill every entry, and the list of entries must be whole.
TEST(Ligacao, PreencheCadaProcedimento) {
    ContextoTeste t;
    AvisosDelivery avisos;
    LigaProcedimentos(t.ctx, avisos);
    std::size_t entradas = 0;
    t.ctx.procs.paraCada([&](const char* nome, const auto& procedimento) {
        ++entradas;
        EXPECT_TRUE(procedimento) << nome;
    });
    // Every member is a std::function of the same size: a member that the
    // list leaves out shows here.
    EXPECT_EQ(entradas * sizeof(std::function<void()>), sizeof(Procedimentos));
}

// The current font as "name size [negrito]".
std::string Fonte(const ContextoTeste& t) {
    return t.impressao.nomeFonte() + " " + TextoPadrao(static_cast<double>(t.impressao.tamanhoFonte())) +
           (t.impressao.negrito() ? " negrito" : "");
}

// The kitchen font of the settings is Larabiefont 12 unless changed.
TEST(DefineImpressora, SoONomeExatoSelecionaEFontesSoQuandoInstaladas) {
    ContextoTeste t;
    DefineImpressora(t.ctx, "cozinha");
    DefineImpressora(t.ctx, "Bar");  // other letter case: no match
    EXPECT_EQ(t.impressao.impressoraAtual(), "cozinha");
    EXPECT_EQ(Fonte(t), "Larabiefont 12 negrito");  // applied although not installed
    EXPECT_TRUE(t.novosEventos().empty());
    t.ctx.cfg.FonteCupomCozinha = "DejaVu Sans Mono";
    t.ctx.cfg.TamFonteCupomCozinha = "doze";
    DefineImpressora(t.ctx, "bar");
    EXPECT_EQ(t.impressao.impressoraAtual(), "bar");
    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{"Tipo incompatível", "Erro definindo a Impressora padrão!"}));
    // A size that is not a number stops after the name; a font that is not
    // installed on "bar" is not applied. Font names match in their case.
    EXPECT_EQ(Fonte(t), "DejaVu Sans Mono 12 negrito");
    t.impressao.defineNomeFonte("Larabiefont");
    t.ctx.cfg.TamFonteCupomCozinha = "14,5";
    FonteCozinha(t.ctx);
    EXPECT_EQ(Fonte(t), "Larabiefont 12 negrito");
    t.pasta.escreve("impressoras/bar/fonts.txt", "Arial\nlarabiefont\nDejaVu Sans Mono\n");
    FonteCozinha(t.ctx);
    FonteConta(t.ctx);
    EXPECT_EQ(Fonte(t), "DejaVu Sans Mono 14,5 negrito");
    t.pasta.escreve("impressoras/bar/fonts.txt", "Larabiefont\n");
    t.impressao.defineNegrito(false);
    FonteConta(t.ctx);
    EXPECT_EQ(Fonte(t), "Larabiefont 8 negrito");
}
}  // namespace
}  // namespace varelo
