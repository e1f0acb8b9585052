// Printing through Qt Print Support: to PDF files, and to the desktop's
// printers when there are none. (The program's tests print through a real
// CUPS scheduler of their own.)
#include <QFontDatabase>
#include <QPrinterInfo>
#include <thread>

#include "printing/qt/qt_printer.h"
#include "tests/gui/gui.h"

namespace varelo {
namespace {

// Pages of a PDF as Qt writes it: one "/Type /Page" dictionary per page,
// beside the single "/Type /Pages" of the page tree.
int Paginas(const std::string& pdf) {
    int paginas = 0;
    for (auto p = pdf.find("/Type /Page"); p != std::string::npos; p = pdf.find("/Type /Page", p + 1))
        paginas += p + 11 >= pdf.size() || pdf[p + 11] != 's';
    return paginas;
}

// Prints `linhas` as one document; true when it was delivered.
bool Imprime(ImpressoraQt& impressora, const std::vector<std::string>& linhas) {
    for (const std::string& linha : linhas) impressora.imprime(linha);
    return impressora.terminaDocumento();
}

// ---- The PDF printing system ----------------------------------------------

class ImpressoraQtPdf : public ::testing::Test {
protected:
    // The font's name, size and boldness.
    std::tuple<std::string, float, bool> Fonte() const {
        return {impressora.nomeFonte(), impressora.tamanhoFonte(), impressora.negrito()};
    }
    PastaTemporaria pasta;
    const std::string saida = pasta.arquivo("saida.pdf");
    ImpressoraQt impressora{ImpressoraQt::ParaPdf{saida}};
};

TEST_F(ImpressoraQtPdf, UmaImpressoraSoEFontesSaoAsFamiliasDoQt) {
    EXPECT_EQ(impressora.impressoras(), std::vector<std::string>{"PDF"});
    EXPECT_EQ(impressora.impressoraAtual(), "PDF");
    EXPECT_NO_THROW(impressora.selecionaImpressora("PDF"));
    EXPECT_THROW(impressora.selecionaImpressora("Cozinha"), Erro);
    EXPECT_EQ(impressora.impressoraAtual(), "PDF");
    // The font starts as a fixed-pitch one of 10 points.
    EXPECT_EQ(Fonte(), std::tuple("DejaVu Sans Mono", 10.0f, false));
    EXPECT_TRUE(QFontDatabase::isFixedPitch("DejaVu Sans Mono")) << "fonts-dejavu-core não está instalado?";
    // The fonts are Qt's families in the same order.
    QStringList fontes;
    for (int i = 0; i < impressora.quantidadeFontes(); ++i) fontes << QString::fromStdString(impressora.fonte(i));
    EXPECT_EQ(fontes, QFontDatabase::families());
    EXPECT_TRUE(fontes.contains("DejaVu Sans Mono"));
    EXPECT_THROW(impressora.fonte(-1), Erro);
    EXPECT_THROW(impressora.fonte(impressora.quantidadeFontes()), Erro);
}

// Lines break at LF and CR LF; an empty document prints nothing, and one
// that cannot be written gives false with the reason and is gone, so the
// next one prints alone.
TEST_F(ImpressoraQtPdf, QuebraLinhasEDocumentoVazioOuNaoGravadoNaoFica) {
    EXPECT_TRUE(impressora.terminaDocumento());
    EXPECT_FALSE(fs::exists(saida));
    for (const char* texto : {"Mesa 12\r\n2 X-Burger\nObs: sem cebola", "", "fim\n", "a\rb", "Pão de queijo"})
        impressora.imprime(texto);
    EXPECT_EQ(impressora.linhasPendentes(), (std::vector<std::string>{"Mesa 12", "2 X-Burger", "Obs: sem cebola", "",
                                                                      "fim", "", "a\rb", "Pão de queijo"}));
    fs::create_directory(saida);
    EXPECT_FALSE(impressora.terminaDocumento());
    EXPECT_TRUE(Tem(impressora.ultimoErro(), saida));
    EXPECT_TRUE(impressora.linhasPendentes().empty());
    fs::remove(saida);
    impressora.imprime("Comanda 32");
    ASSERT_TRUE(impressora.terminaDocumento()) << impressora.ultimoErro();
    EXPECT_EQ(std::pair(impressora.ultimoErro(), Paginas(Le(saida))), std::pair(std::string(), 1));
    ASSERT_TRUE(fs::remove(saida));
    EXPECT_TRUE(impressora.terminaDocumento());  // the document just printed was the last one
    EXPECT_FALSE(fs::exists(saida));
}

TEST_F(ImpressoraQtPdf, PaginaNovaQuandoALinhaNaoCabe) {
    // The pages of `linhas` numbered lines in `tamanho` points.
    auto paginas = [&](int linhas, float tamanho) {
        impressora.defineTamanhoFonte(tamanho);
        for (int i = 1; i <= linhas; ++i) impressora.imprime("Linha " + std::to_string(i));
        EXPECT_TRUE(impressora.terminaDocumento()) << impressora.ultimoErro();
        EXPECT_EQ(Le(saida).rfind("%PDF-", 0), 0u);
        return Paginas(Le(saida));
    };
    EXPECT_EQ(paginas(3, 10), 1);
    const int em10 = paginas(200, 10), em20 = paginas(200, 20);
    EXPECT_GT(em10, 1);
    // Twice the size, twice the line spacing: about twice the pages.
    EXPECT_NEAR(em20, 2 * em10, 1);
}

TEST_F(ImpressoraQtPdf, FonteNaoInstaladaDaLugarAUmaDeLarguraFixaEAFonteAtualPersiste) {
    impressora.defineNomeFonte("Larabiefont");  // not installed here
    ASSERT_TRUE(Imprime(impressora, {"1 x Feijoada"})) << impressora.ultimoErro();
    EXPECT_NE(Le(saida).find("DejaVuSansMono"), std::string::npos);
    for (const char* outra : {"DejaVuSans-", "DejaVuSans+"})
        EXPECT_EQ(Le(saida).find(outra), std::string::npos) << outra;
    impressora.defineNomeFonte("DejaVu Serif");
    impressora.defineTamanhoFonte(14);
    impressora.defineNegrito(true);
    ASSERT_TRUE(Imprime(impressora, {"Conta da mesa 7"})) << impressora.ultimoErro();
    EXPECT_EQ(Fonte(), std::tuple("DejaVu Serif", 14.0f, true));
    // The next document is printed in the same font.
    ASSERT_TRUE(Imprime(impressora, {"Segunda via"})) << impressora.ultimoErro();
    EXPECT_NE(Le(saida).find("DejaVuSerif-Bold"), std::string::npos);
    EXPECT_EQ(Le(saida).find("DejaVuSansMono"), std::string::npos);
}

// ---- The desktop's printers -----------------------------------------------

TEST(ImpressoraQtSistema, SemNenhumaImpressoraImprimeLancaErro) {
    // A CUPS server where nothing listens: no printers at all. libcups reads
    // CUPS_SERVER once per thread, so a new thread sees it.
    const char* antes = std::getenv("CUPS_SERVER");
    const std::string anterior = antes ? antes : "";
    ::setenv("CUPS_SERVER", ("127.0.0.1:" + std::to_string(PortaLivre())).c_str(), 1);
    std::thread([] {
        ImpressoraQt impressora;
        EXPECT_TRUE(impressora.impressoras().empty());
        EXPECT_EQ(impressora.impressoraAtual(), "");
        EXPECT_THROW(impressora.selecionaImpressora("varelo-teste"), Erro);
        EXPECT_THROW(impressora.imprime("Comanda 1"), Erro);
        EXPECT_TRUE(impressora.terminaDocumento());
        EXPECT_EQ(impressora.estado("varelo-teste"), EstadoImpressora::NaoInstalada);
    }).join();
    antes ? ::setenv("CUPS_SERVER", anterior.c_str(), 1) : ::unsetenv("CUPS_SERVER");
}

}  // namespace
}  // namespace varelo
