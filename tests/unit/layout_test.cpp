// Printer selection, fonts, centring and ready-made print files, through the
// spool-folder printers of the test context (default, cozinha, bar).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/files.h"
#include "printing/layout.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Documentos(ContextoTeste& t, const std::string& impressora) {
    return t.documentos(impressora);
}

void Fontes(ContextoTeste& t, const std::string& impressora, const std::string& linhas) {
    std::ofstream(t.pasta.arquivo("impressoras/" + impressora + "/fonts.txt")) << linhas;
}

TEST(Centraliza, LarguraCortadaAoMeioNoLugar) {
    std::int16_t largura = 24;
    EXPECT_EQ(Centraliza("PEDIDO", largura), std::string(9, ' ') + "PEDIDO");
    EXPECT_EQ(largura, 12);
    largura = 24;
    EXPECT_EQ(Centraliza("MESA1", largura), std::string(10, ' ') + "MESA1");  // 2.5 -> 2
    largura = 46;
    EXPECT_EQ(Centraliza("Este cupom não tem valor fiscal", largura),
              std::string(7, ' ') + "Este cupom não tem valor fiscal");  // 23 - 16: characters, not bytes
    largura = 6;
    EXPECT_EQ(Centraliza("PEDIDO", largura), "PEDIDO");
    EXPECT_EQ(largura, 3);
    largura = 5;
    EXPECT_EQ(Centraliza("PEDIDO", largura), "PEDIDO");
    EXPECT_EQ(largura, 5);
    largura = 5;  // 5 / 2 = 2.5 -> 2
    Centraliza("", largura);
    EXPECT_EQ(largura, 2);
}

TEST(DefineImpressora, SoONomeExatoSelecionaEAFonteDaCozinhaValeSempre) {
    ContextoTeste t;
    t.ctx.cfg.FonteCupomCozinha = "Larabiefont";
    t.ctx.cfg.TamFonteCupomCozinha = "12";
    DefineImpressora(t.ctx, "cozinha");
    EXPECT_EQ(t.impressao.impressoraAtual(), "cozinha");
    DefineImpressora(t.ctx, "Bar");  // other letter case: no match
    EXPECT_EQ(t.impressao.impressoraAtual(), "cozinha");
    EXPECT_EQ(t.impressao.nomeFonte(), "Larabiefont");  // applied although not installed
    EXPECT_FLOAT_EQ(t.impressao.tamanhoFonte(), 12);
    EXPECT_TRUE(t.impressao.negrito());
    EXPECT_TRUE(t.novosEventos().empty());

    t.ctx.cfg.TamFonteCupomCozinha = "doze";
    DefineImpressora(t.ctx, "bar");
    EXPECT_EQ(t.impressao.impressoraAtual(), "bar");
    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{"Tipo incompatível", "Erro definindo a Impressora padrão!"}));
}

TEST(Fontes, CozinhaEContaSoQuandoInstaladas) {
    ContextoTeste t;
    t.ctx.cfg.FonteCupomCozinha = "DejaVu Sans Mono";
    t.ctx.cfg.TamFonteCupomCozinha = "14,5";
    t.impressao.selecionaImpressora("bar");
    t.impressao.defineNomeFonte("Courier New");
    t.impressao.defineTamanhoFonte(10);
    t.impressao.defineNegrito(false);
    FonteCozinha(t.ctx);
    FonteConta(t.ctx);
    EXPECT_EQ(t.impressao.nomeFonte(), "Courier New");  // neither is installed on "bar"

    Fontes(t, "bar", "Arial\nDejaVu Sans Mono\n");
    FonteCozinha(t.ctx);
    EXPECT_EQ(t.impressao.nomeFonte(), "DejaVu Sans Mono");
    EXPECT_FLOAT_EQ(t.impressao.tamanhoFonte(), 14.5f);
    EXPECT_TRUE(t.impressao.negrito());
    FonteConta(t.ctx);
    EXPECT_EQ(t.impressao.nomeFonte(), "DejaVu Sans Mono");

    Fontes(t, "bar", "larabiefont\nLarabiefont\n");
    FonteConta(t.ctx);
    EXPECT_EQ(t.impressao.nomeFonte(), "Larabiefont");
    EXPECT_FLOAT_EQ(t.impressao.tamanhoFonte(), 8);
}

TEST(ImprimeDiverso, DezBytesEhVazioOnzeImprime) {
    ContextoTeste t;
    t.ctx.cfg.FonteCupomCozinha = "Larabiefont";
    t.ctx.cfg.TamFonteCupomCozinha = "12";
    const std::string vazio = t.pedido("IMP1.txt", "bar\r\nabcde");  // 10 bytes
    ImprimeDiverso(t.ctx, vazio);
    EXPECT_EQ(t.novosEventos(), (std::vector<std::string>{"Gerando impressão para arquivo " + vazio,
                                                          "Arquivo de Impressao Vazio " + vazio}));
    EXPECT_TRUE(t.arquivos.podeLer(vazio));  // the scan removes it
    EXPECT_TRUE(Documentos(t, "bar").empty());

    // Windows-1252 text, CR LF and LF line ends; lines printed as they stand.
    const std::string arquivo = t.pedido("IMP2.txt", "bar\r\n  Pão de queijo\r\n\r\nTotal: 12,00\n");
    ImprimeDiverso(t.ctx, arquivo);
    EXPECT_EQ(Documentos(t, "bar"), std::vector<std::string>{"  Pão de queijo\n\nTotal: 12,00\n"});
    const auto eventos = t.novosEventos();
    ASSERT_GE(eventos.size(), 2u);
    EXPECT_EQ(eventos[0], "Gerando impressão para arquivo " + arquivo);
    EXPECT_EQ(eventos[1], "Impressão finalizada " + arquivo);
    EXPECT_FALSE(t.arquivos.podeLer(arquivo));
    EXPECT_TRUE(t.timer1.ligado());
}

TEST(ImprimeDiverso, SoALinhaDaImpressoraOuImpressoraDesconhecida) {
    ContextoTeste t;
    fs::create_directories(t.pasta.arquivo("impressoras/cozinha-fundos"));
    const std::string so = t.pedido("IMP3.txt", "cozinha-fundos\r\n");
    ImprimeDiverso(t.ctx, so);
    EXPECT_EQ(t.impressao.impressoraAtual(), "cozinha-fundos");
    EXPECT_TRUE(Documentos(t, "cozinha-fundos").empty());
    EXPECT_FALSE(t.arquivos.podeLer(so));

    // An unknown printer prints on the current one.
    const std::string outro = t.pedido("IMP4.txt", "Epson-TM20\r\nlinha 1\r\n");
    ImprimeDiverso(t.ctx, outro);
    EXPECT_EQ(Documentos(t, "cozinha-fundos"), std::vector<std::string>{"linha 1\n"});

    // A file that cannot be read is logged and removed all the same.
    t.novosEventos();
    const std::string sumiu = t.comanda("IMP5.txt");
    ImprimeDiverso(t.ctx, sumiu);
    const auto eventos = t.novosEventos();
    ASSERT_GE(eventos.size(), 2u);
    EXPECT_EQ(eventos[0], "Gerando impressão para arquivo " + sumiu);
    EXPECT_NE(eventos[1].find("IMP5.txt"), std::string::npos) << eventos[1];
}

}  // namespace
}  // namespace varelo
