// Printing through Qt Print Support: to PDF files, and to a real CUPS
// scheduler of the test's own (scripts/private-cups.sh).
#include <QFontDatabase>
#include <QPrinterInfo>
#include <dlfcn.h>
#include <sys/stat.h>

#include <optional>

#include "printing/bill.h"
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

// Makes libcups, and Qt's printing through it, talk to `endereco` until the
// object goes, when the previous server comes back. libcups looks
// CUPS_SERVER up once per thread and keeps the answer, so a test that runs
// after others already asked Qt for printers has to tell libcups itself:
// it asks Qt for the printers once (which loads Qt's CUPS plugin and libcups
// with it) and calls libcups's cupsSetServer.
class ServidorCups {
    std::optional<std::string> anterior_;
    void (*defineServidor_)(const char*) = nullptr;

public:
    explicit ServidorCups(const std::string& endereco) {
        if (const char* antes = std::getenv("CUPS_SERVER")) anterior_ = antes;
        ::setenv("CUPS_SERVER", endereco.c_str(), 1);
        (void)QPrinterInfo::availablePrinterNames();
        if (void* cups = ::dlopen("libcups.so.2", RTLD_LAZY | RTLD_NOLOAD))
            defineServidor_ = reinterpret_cast<void (*)(const char*)>(::dlsym(cups, "cupsSetServer")), ::dlclose(cups);
        if (defineServidor_) defineServidor_(endereco.c_str());
    }
    ~ServidorCups() {
        anterior_ ? ::setenv("CUPS_SERVER", anterior_->c_str(), 1) : ::unsetenv("CUPS_SERVER");
        if (defineServidor_) defineServidor_(nullptr);  // null: look it up again, from the variable
    }
    ServidorCups(const ServidorCups&) = delete;
    // False when Qt does not print through libcups in this process.
    bool ativo() const { return defineServidor_ != nullptr; }
};

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

TEST_F(ImpressoraQtPdf, QuebraLinhasEmLfECrLfEDocumentoVazioNaoImprimeNada) {
    EXPECT_TRUE(impressora.terminaDocumento());
    EXPECT_FALSE(fs::exists(saida));
    for (const char* texto : {"Mesa 12\r\n2 X-Burger\nObs: sem cebola", "", "fim\n", "a\rb", "Pão de queijo"})
        impressora.imprime(texto);
    EXPECT_EQ(impressora.linhasPendentes(), (std::vector<std::string>{"Mesa 12", "2 X-Burger", "Obs: sem cebola", "",
                                                                      "fim", "", "a\rb", "Pão de queijo"}));
    ASSERT_TRUE(impressora.terminaDocumento()) << impressora.ultimoErro();
    EXPECT_TRUE(impressora.linhasPendentes().empty());
    ASSERT_TRUE(fs::remove(saida));
    // The document just printed was the last one: ending again prints nothing.
    EXPECT_TRUE(impressora.terminaDocumento());
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

TEST_F(ImpressoraQtPdf, ArquivoQueNaoPodeSerCriadoDaFalsoComOMotivo) {
    const std::string destino = pasta.arquivo("nao-existe/saida.pdf");
    ImpressoraQt semPasta(ImpressoraQt::ParaPdf{destino});
    EXPECT_FALSE(Imprime(semPasta, {"Comanda 31"}));
    EXPECT_TRUE(Tem(semPasta.ultimoErro(), destino));
    // The failed document is gone; the next one, where it can be written,
    // prints alone and clears the error.
    fs::create_directory(pasta.arquivo("nao-existe"));
    semPasta.imprime("Comanda 32");
    EXPECT_EQ(semPasta.linhasPendentes(), std::vector<std::string>{"Comanda 32"});
    EXPECT_TRUE(semPasta.terminaDocumento()) << semPasta.ultimoErro();
    EXPECT_EQ(semPasta.ultimoErro(), "");
    EXPECT_EQ(Paginas(Le(destino)), 1);
}

// ---- The desktop's printers -----------------------------------------------

TEST(ImpressoraQtSistema, SemNenhumaImpressoraImprimeLancaErro) {
    // A CUPS server where nothing listens: no printers at all.
    ServidorCups servidor("127.0.0.1:" + std::to_string(PortaLivre()));
    if (!servidor.ativo()) GTEST_SKIP() << "o Qt não imprime pelo libcups neste sistema";
    ImpressoraQt impressora;
    EXPECT_TRUE(impressora.impressoras().empty());
    EXPECT_EQ(impressora.impressoraAtual(), "");
    EXPECT_THROW(impressora.selecionaImpressora("varelo-teste"), Erro);
    EXPECT_THROW(impressora.imprime("Comanda 1"), Erro);
    EXPECT_TRUE(impressora.terminaDocumento());
}

// A bill of the database, printed through Qt to the one queue of a private
// scheduler, varelo-teste: the text of the PDF that arrives holds the bill's
// lines. Then the queue refuses jobs, takes them again, and goes with its
// scheduler.
TEST(ImpressoraQtCups, ContaChegaAFilaDeUmCupsdPrivadoComOTextoDaConta) {
    if (!TemCupsd()) GTEST_SKIP() << "cupsd não está instalado (pacote cups; scripts/install-deps.sh)";
    std::string texto;
    ASSERT_EQ(Executa("command -v pdftotext", texto), 0) << "pdftotext (poppler-utils) is missing";
    ContextoTeste::LimpaBanco();
    ContextoTeste t;
    // The scheduler's filters run as lp, which must reach the spool folder inside.
    ASSERT_EQ(::chmod(t.pasta.caminho().c_str(), 0755), 0);
    CupsPrivado cups(t.pasta.arquivo("cups"), PortaLivre());
    ASSERT_TRUE(cups.iniciado()) << cups.saidaInicio();
    ServidorCups servidor(cups.endereco());
    ASSERT_TRUE(servidor.ativo()) << "o Qt não carregou o libcups: sem suporte a CUPS";
    const auto lpstat = [&](const std::string& opcoes) { return cups.lpstat(opcoes + " -o varelo-teste"); };

    ImpressoraQt impressora;
    std::vector<std::string> estados;
    EstadosVistos vistos;
    vistos.avisa = [&](const std::string& linha) { estados.push_back(linha); };
    impressora.estados = &vistos;
    // Only the private scheduler's queue: the machine's own CUPS is out of the picture.
    ASSERT_EQ(impressora.impressoras(), std::vector<std::string>{"varelo-teste"});
    EXPECT_EQ(impressora.impressoraAtual(), "varelo-teste");
    EXPECT_THROW(impressora.selecionaImpressora("varelo-nao-instalada"), Erro);
    Contexto ctx{t.relogio, t.arquivos, t.armazem, t.eventos, t.impressos, t.banco,
                 t.mensagens, t.timer1, t.processos, t.executor, impressora};
    ctx.pastaPrograma = t.ctx.pastaPrograma;
    ctx.cfg = t.ctx.cfg;
    ctx.cfg.LinhaFim = 1;
    ctx.cfg.empresa = {"Restaurante Sabor", "Rua das Palmeiras, 10", "Recife", "PE"};
    t.armazem.grava("Varelo", "Config", "ImpCupom", "varelo-teste");
    for (const std::string& sql : LinhasEsperadas("conta42.sql")) t.executa(sql);  // the comanda, one per line
    EXPECT_EQ(FechaConta(ctx, 42, ""), ResultadoConta::Impressa) << impressora.ultimoErro();
    EXPECT_EQ(impressora.ultimoErro(), "");
    // The scheduler writes the whole job to the queue's file in its own time;
    // Qt hands CUPS a PDF.
    const std::string job = cups.aguardaTrabalho();
    ASSERT_EQ(job.rfind("%PDF-", 0), 0u) << "no PDF job reached the queue\n" << cups.registro();
    EXPECT_EQ(Paginas(job), 1);
    EXPECT_TRUE(Aguarda([&] { return Tem(lpstat("-W completed"), "varelo-teste-1"); })) << lpstat("-W completed");
    ASSERT_EQ(Executa("pdftotext -layout " + Aspas(cups.saidaDaFila()) + " -", texto), 0);
    // pdftotext guesses the spaces between words from their positions, so
    // runs of spaces are compared as one.
    auto juntaEspacos = [](std::string s) {
        s.erase(std::unique(s.begin(), s.end(), [](char a, char b) { return a == ' ' && b == ' '; }), s.end());
        return s;
    };
    for (const std::string& linha : LinhasEsperadas("conta42.txt"))
        EXPECT_TRUE(Tem(juntaEspacos(texto), juntaEspacos(linha)));

    // A queue that refuses jobs (cupsreject) is off line: the document is
    // refused before it is sent; taking jobs again, it prints the next one.
    ASSERT_TRUE(cups.recusa());
    EXPECT_EQ(impressora.estado("varelo-teste"), EstadoImpressora::ForaDeLinha);
    EXPECT_EQ(impressora.estado("varelo-nao-instalada"), EstadoImpressora::NaoInstalada);
    EXPECT_FALSE(Imprime(impressora, {"Mesa 6 - recusada"}));
    EXPECT_EQ(impressora.ultimoErro(), "Impressora varelo-teste: fora de linha");
    EXPECT_EQ(cups.trabalhos(), 1) << lpstat("-W all");
    ASSERT_TRUE(cups.aceita());
    ASSERT_TRUE(Imprime(impressora, {"Mesa 6"})) << impressora.ultimoErro();
    EXPECT_EQ(impressora.ultimoErro(), "");
    EXPECT_EQ(cups.trabalhos(), 2) << lpstat("-W all");
    EXPECT_EQ(estados, (std::vector<std::string>{"Impressora varelo-teste: fora de linha",
                                                 "Impressora varelo-teste: pronta"}));

    // With the scheduler gone the queue is gone: the document is refused.
    ASSERT_TRUE(cups.responde());
    ASSERT_TRUE(cups.para());
    EXPECT_FALSE(cups.responde());
    EXPECT_FALSE(Imprime(impressora, {"Mesa 5"}));
    EXPECT_TRUE(Tem(impressora.ultimoErro(), "varelo-teste"));
}

}  // namespace
}  // namespace varelo
