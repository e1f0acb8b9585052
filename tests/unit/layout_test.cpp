// Printer selection, fonts, centring and ready-made print files, through the
// spool-folder printers of the test context (default, cozinha, bar).
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/files.h"
#include "base/regional.h"
#include "printing/layout.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

// The width is halved in place, halves to even, and so is the text's length:
// "MESA1" in 13 columns is 6 - 2 spaces. Widths count characters, not bytes.
TEST(Centraliza, LarguraCortadaAoMeioNoLugar) {
    const std::tuple<std::string, std::int16_t, std::size_t, std::int16_t> casos[] = {
        {"MESA1", 13, 4, 6}, {"Pedido de São João", 46, 14, 23},
        {"PEDIDO", 6, 0, 3}, {"PEDIDO", 5, 0, 5}};  // longer than the width: unchanged
    for (const auto& [texto, largura, espacos, metade] : casos) {
        std::int16_t l = largura;
        EXPECT_EQ(Centraliza(texto, l), std::string(espacos, ' ') + texto) << texto << ' ' << largura;
        EXPECT_EQ(l, metade) << texto << ' ' << largura;
    }
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

// The file is removed after printing, also when it could not be read; one
// of up to 10 bytes is reported empty and left for the scan to remove.
TEST(ImprimeDiverso, PrimeiraLinhaEscolheAImpressoraAsOutrasSaoImpressas) {
    ContextoTeste t;
    const std::string separador = "-----------------------------";
    const std::string vazio = t.pedido("IMP1.txt", "bar\r\nabcde");
    ImprimeDiverso(t.ctx, vazio);
    EXPECT_EQ(t.novosEventos(), (std::vector<std::string>{"Gerando impressão para arquivo " + vazio,
                                                          "Arquivo de Impressao Vazio " + vazio}));
    EXPECT_TRUE(t.arquivos.podeLer(vazio));
    EXPECT_TRUE(t.documentos("bar").empty());

    // Windows-1252 text, CR LF, LF and CR line ends; lines printed as they stand.
    const std::string arquivo = t.pedido("IMP2.txt", "bar\r\n  Pão de queijo\r\n\r\nTotal: 12,00\nTroco\rFim\r");
    ImprimeDiverso(t.ctx, arquivo);
    EXPECT_EQ(t.documentos("bar"), std::vector<std::string>{"  Pão de queijo\n\nTotal: 12,00\nTroco\nFim\n"});
    EXPECT_EQ(t.novosEventos(), (std::vector<std::string>{"Gerando impressão para arquivo " + arquivo,
                                                          "Impressão finalizada " + arquivo,
                                                          "Tentando apagar " + arquivo, separador}));
    EXPECT_FALSE(t.arquivos.podeLer(arquivo));

    // Eleven bytes print; an unknown printer prints on the current one.
    const std::string onze = t.pedido("IMP3.txt", "E\r\nlinha 1\n");
    ImprimeDiverso(t.ctx, onze);
    EXPECT_EQ(t.documentos("bar").back(), "linha 1\n");
    t.novosEventos();

    const std::string sumiu = t.comanda("IMP5.txt");
    ImprimeDiverso(t.ctx, sumiu);
    EXPECT_EQ(t.novosEventos(), (std::vector<std::string>{"Gerando impressão para arquivo " + sumiu,
                                                          "Arquivo não encontrado: " + sumiu, separador}));
}

}  // namespace
}  // namespace varelo
