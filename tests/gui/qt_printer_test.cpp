// Printing through Qt Print Support: to PDF files, and to a real CUPS
// scheduler of the test's own (scripts/private-cups.sh).
#include <QFontDatabase>
#include <QPrinterInfo>
#include <QString>

#include <dlfcn.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "db/banco.h"
#include "printing/bill.h"
#include "printing/qt/qt_printer.h"
#include "tests/support/private_cups.h"
#include "tests/support/program_run.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;

// Pages of a PDF as Qt writes it: one "/Type /Page" dictionary per page,
// beside the single "/Type /Pages" of the page tree.
int Paginas(const std::string& pdf) {
    const std::string marca = "/Type /Page";
    int paginas = 0;
    for (auto p = pdf.find(marca); p != std::string::npos; p = pdf.find(marca, p + 1))
        if (p + marca.size() >= pdf.size() || pdf[p + marca.size()] != 's') ++paginas;
    return paginas;
}

// Prints `linhas` numbered lines as one document to a fresh PDF and returns
// the file's bytes.
std::string DocumentoPdf(const PastaTemporaria& pasta, const std::string& nome, int linhas,
                         float tamanho = 10) {
    ImpressoraQt impressora(ImpressoraQt::ParaPdf{pasta.arquivo(nome)});
    impressora.defineTamanhoFonte(tamanho);
    for (int i = 1; i <= linhas; ++i) impressora.imprime("Linha " + std::to_string(i));
    EXPECT_TRUE(impressora.terminaDocumento()) << impressora.ultimoErro();
    return Le(pasta.arquivo(nome));
}

// Makes libcups, and Qt's printing through it, talk to `endereco` until the
// object goes, when the previous server comes back. libcups looks
// CUPS_SERVER up once per thread and keeps the answer, so a test that runs
// after others already asked Qt for printers has to tell libcups itself:
// it asks Qt for the printers once (which loads Qt's CUPS plugin and libcups
// with it) and calls libcups's cupsSetServer.
class ServidorCups {
public:
    explicit ServidorCups(const std::string& endereco) {
        if (const char* antes = std::getenv("CUPS_SERVER")) anterior_ = antes;
        ::setenv("CUPS_SERVER", endereco.c_str(), 1);
        (void)QPrinterInfo::availablePrinterNames();
        if (void* cups = ::dlopen("libcups.so.2", RTLD_LAZY | RTLD_NOLOAD)) {
            defineServidor_ = reinterpret_cast<void (*)(const char*)>(::dlsym(cups, "cupsSetServer"));
            ::dlclose(cups);
        }
        if (defineServidor_) defineServidor_(endereco.c_str());
    }
    ~ServidorCups() {
        if (anterior_) ::setenv("CUPS_SERVER", anterior_->c_str(), 1);
        else ::unsetenv("CUPS_SERVER");
        // Null makes libcups look the server up again, from the variable.
        if (defineServidor_) defineServidor_(nullptr);
    }
    ServidorCups(const ServidorCups&) = delete;
    ServidorCups& operator=(const ServidorCups&) = delete;

    // False when Qt does not print through libcups in this process.
    bool ativo() const { return defineServidor_ != nullptr; }

private:
    std::optional<std::string> anterior_;
    void (*defineServidor_)(const char*) = nullptr;
};

// ---- The PDF printing system ----------------------------------------------

TEST(ImpressoraQtPdf, UmaImpressoraSoEFonteInicialDeLarguraFixa) {
    PastaTemporaria pasta;
    ImpressoraQt impressora(ImpressoraQt::ParaPdf{pasta.arquivo("saida.pdf")});
    EXPECT_EQ(impressora.impressoras(), std::vector<std::string>{"PDF"});
    EXPECT_EQ(impressora.impressoraAtual(), "PDF");
    EXPECT_NO_THROW(impressora.selecionaImpressora("PDF"));
    EXPECT_THROW(impressora.selecionaImpressora("Cozinha"), Erro);
    EXPECT_EQ(impressora.impressoraAtual(), "PDF");

    // The font starts as a fixed-pitch one of 10 points.
    EXPECT_EQ(impressora.nomeFonte(), "DejaVu Sans Mono");
    EXPECT_FLOAT_EQ(impressora.tamanhoFonte(), 10);
    EXPECT_FALSE(impressora.negrito());
    EXPECT_TRUE(QFontDatabase::isFixedPitch(QString::fromStdString(impressora.nomeFonte())))
        << "fonts-dejavu-core não está instalado?";
}

TEST(ImpressoraQtPdf, FontesSaoAsFamiliasDoQtNaMesmaOrdem) {
    PastaTemporaria pasta;
    ImpressoraQt impressora(ImpressoraQt::ParaPdf{pasta.arquivo("saida.pdf")});
    const QStringList familias = QFontDatabase::families();
    ASSERT_GT(impressora.quantidadeFontes(), 0);
    ASSERT_EQ(impressora.quantidadeFontes(), familias.size());
    std::vector<std::string> nomes;
    for (int i = 0; i < impressora.quantidadeFontes(); ++i) {
        nomes.push_back(impressora.fonte(i));
        EXPECT_EQ(QString::fromStdString(nomes.back()), familias.at(i));
    }
    EXPECT_NE(std::find(nomes.begin(), nomes.end(), "DejaVu Sans Mono"), nomes.end());
    EXPECT_THROW(impressora.fonte(-1), Erro);
    EXPECT_THROW(impressora.fonte(impressora.quantidadeFontes()), Erro);
}

TEST(ImpressoraQtPdf, QuebraLinhasEmLfECrLf) {
    PastaTemporaria pasta;
    ImpressoraQt impressora(ImpressoraQt::ParaPdf{pasta.arquivo("saida.pdf")});
    impressora.imprime("Mesa 12\r\n2 X-Burger\nObs: sem cebola");
    impressora.imprime("");
    impressora.imprime("fim\n");
    impressora.imprime("a\rb");
    EXPECT_EQ(impressora.linhasPendentes(),
              (std::vector<std::string>{"Mesa 12", "2 X-Burger", "Obs: sem cebola", "", "fim", "", "a\rb"}));
    ASSERT_TRUE(impressora.terminaDocumento()) << impressora.ultimoErro();
    EXPECT_TRUE(impressora.linhasPendentes().empty());
}

TEST(ImpressoraQtPdf, DocumentoVazioNaoImprimeNada) {
    PastaTemporaria pasta;
    ImpressoraQt impressora(ImpressoraQt::ParaPdf{pasta.arquivo("saida.pdf")});
    EXPECT_TRUE(impressora.terminaDocumento());
    EXPECT_FALSE(fs::exists(pasta.arquivo("saida.pdf")));

    impressora.imprime("Pão de queijo");
    ASSERT_TRUE(impressora.terminaDocumento()) << impressora.ultimoErro();
    ASSERT_TRUE(fs::exists(pasta.arquivo("saida.pdf")));
    fs::remove(pasta.arquivo("saida.pdf"));
    // The document just printed was the last one: ending again prints nothing.
    EXPECT_TRUE(impressora.terminaDocumento());
    EXPECT_FALSE(fs::exists(pasta.arquivo("saida.pdf")));
}

TEST(ImpressoraQtPdf, PaginaNovaQuandoALinhaNaoCabe) {
    PastaTemporaria pasta;
    const std::string curto = DocumentoPdf(pasta, "3.pdf", 3);
    ASSERT_EQ(curto.rfind("%PDF-", 0), 0u);
    EXPECT_EQ(Paginas(curto), 1);
    const int em10 = Paginas(DocumentoPdf(pasta, "10.pdf", 200, 10));
    const int em20 = Paginas(DocumentoPdf(pasta, "20.pdf", 200, 20));
    EXPECT_GT(em10, 1);
    // Twice the size, twice the line spacing: about twice the pages.
    EXPECT_GE(em20, 2 * em10 - 1);
    EXPECT_LE(em20, 2 * em10 + 1);
}

TEST(ImpressoraQtPdf, UsaAFonteAtualQuePersisteEntreDocumentos) {
    PastaTemporaria pasta;
    ImpressoraQt impressora(ImpressoraQt::ParaPdf{pasta.arquivo("saida.pdf")});
    impressora.defineNomeFonte("DejaVu Serif");
    impressora.defineTamanhoFonte(14);
    impressora.defineNegrito(true);
    impressora.imprime("Conta da mesa 7");
    ASSERT_TRUE(impressora.terminaDocumento()) << impressora.ultimoErro();
    EXPECT_EQ(impressora.nomeFonte(), "DejaVu Serif");
    EXPECT_FLOAT_EQ(impressora.tamanhoFonte(), 14);
    EXPECT_TRUE(impressora.negrito());

    impressora.imprime("Segunda via");
    ASSERT_TRUE(impressora.terminaDocumento()) << impressora.ultimoErro();
    const std::string pdf = Le(pasta.arquivo("saida.pdf"));
    EXPECT_NE(pdf.find("DejaVuSerif-Bold"), std::string::npos);
    EXPECT_EQ(pdf.find("DejaVuSansMono"), std::string::npos);
}

TEST(ImpressoraQtPdf, FonteNaoInstaladaDaLugarAUmaDeLarguraFixa) {
    PastaTemporaria pasta;
    ImpressoraQt impressora(ImpressoraQt::ParaPdf{pasta.arquivo("saida.pdf")});
    impressora.defineNomeFonte("Larabiefont");  // not installed here
    impressora.imprime("1 x Feijoada");
    ASSERT_TRUE(impressora.terminaDocumento()) << impressora.ultimoErro();
    const std::string pdf = Le(pasta.arquivo("saida.pdf"));
    EXPECT_NE(pdf.find("DejaVuSansMono"), std::string::npos);
    EXPECT_EQ(pdf.find("DejaVuSans-"), std::string::npos);
    EXPECT_EQ(pdf.find("DejaVuSans+"), std::string::npos);
}

TEST(ImpressoraQtPdf, ArquivoQueNaoPodeSerCriadoDaFalsoComOMotivo) {
    PastaTemporaria pasta;
    const std::string destino = pasta.arquivo("nao-existe/saida.pdf");
    ImpressoraQt impressora(ImpressoraQt::ParaPdf{destino});
    impressora.imprime("Comanda 31");
    EXPECT_FALSE(impressora.terminaDocumento());
    EXPECT_NE(impressora.ultimoErro().find(destino), std::string::npos) << impressora.ultimoErro();

    // The failed document is gone; the next one, where it can be written,
    // prints alone and clears the error.
    fs::create_directory(pasta.arquivo("nao-existe"));
    impressora.imprime("Comanda 32");
    EXPECT_EQ(impressora.linhasPendentes(), std::vector<std::string>{"Comanda 32"});
    EXPECT_TRUE(impressora.terminaDocumento()) << impressora.ultimoErro();
    EXPECT_EQ(impressora.ultimoErro(), "");
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

// ---- A real CUPS scheduler ------------------------------------------------

TEST(ImpressoraQtCups, ImprimeNumaFilaDeUmCupsdPrivado) {
    if (!TemCupsd()) GTEST_SKIP() << "cupsd não está instalado (pacote cups; scripts/install-deps.sh)";

    PastaTemporaria pasta;
    // The scheduler's filters run as lp, which must be able to reach the
    // spool folder inside.
    ASSERT_EQ(::chmod(pasta.caminho().c_str(), 0755), 0);
    const int porta = PortaLivre();
    ASSERT_NE(porta, 0);
    CupsPrivado cups(pasta.arquivo("cups"), porta);
    ASSERT_TRUE(cups.iniciado()) << cups.saidaInicio();

    ServidorCups servidor(cups.endereco());
    ASSERT_TRUE(servidor.ativo()) << "o Qt não carregou o libcups: sem suporte a CUPS";

    ImpressoraQt impressora;
    // Only the private scheduler's queue: the machine's own CUPS is out of
    // the picture.
    ASSERT_EQ(impressora.impressoras(), std::vector<std::string>{"varelo-teste"});
    EXPECT_EQ(impressora.impressoraAtual(), "varelo-teste");
    EXPECT_THROW(impressora.selecionaImpressora("varelo-nao-instalada"), Erro);
    impressora.selecionaImpressora("varelo-teste");
    impressora.imprime("COZINHA - Mesa 4");
    impressora.imprime("1 Pão de queijo\r\n2 Café com leite");
    ASSERT_TRUE(impressora.terminaDocumento()) << impressora.ultimoErro();
    EXPECT_EQ(impressora.ultimoErro(), "");

    // The scheduler writes the job to the queue's file in its own time.
    std::string job;
    for (int i = 0; i < 300; ++i) {
        job = Le(cups.saidaDaFila());
        if (job.size() > 5 && job.find("%%EOF", job.size() - 8) != std::string::npos &&
            cups.lpstat("-W completed -o varelo-teste").find("varelo-teste-") != std::string::npos)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_FALSE(job.empty()) << "nenhum trabalho chegou à fila\n" << cups.registro();
    EXPECT_EQ(job.rfind("%PDF-", 0), 0u) << "o Qt entrega PDF ao CUPS";
    EXPECT_NE(job.find("%%EOF", job.size() - 8), std::string::npos) << "trabalho incompleto";
    EXPECT_EQ(Paginas(job), 1);
    const std::string concluidos = cups.lpstat("-W completed -o varelo-teste");
    EXPECT_NE(concluidos.find("varelo-teste-1"), std::string::npos) << concluidos;

    // A queue that refuses jobs (cupsreject) refuses the document, with the
    // scheduler's reason; taking jobs again, it prints the next one.
    ASSERT_TRUE(cups.recusa());
    impressora.imprime("Mesa 6 - recusada");
    EXPECT_FALSE(impressora.terminaDocumento());
    EXPECT_NE(impressora.ultimoErro().find("varelo-teste"), std::string::npos) << impressora.ultimoErro();
    EXPECT_NE(impressora.ultimoErro().find("accepting"), std::string::npos) << impressora.ultimoErro();
    EXPECT_EQ(cups.trabalhos(), 1) << cups.lpstat("-W all -o varelo-teste");
    ASSERT_TRUE(cups.aceita());
    impressora.imprime("Mesa 6");
    ASSERT_TRUE(impressora.terminaDocumento()) << impressora.ultimoErro();
    EXPECT_EQ(impressora.ultimoErro(), "");
    EXPECT_EQ(cups.trabalhos(), 2) << cups.lpstat("-W all -o varelo-teste");

    // With the scheduler gone the queue is gone: the document is refused.
    ASSERT_TRUE(cups.responde());
    ASSERT_TRUE(cups.para());
    EXPECT_FALSE(cups.responde());
    impressora.imprime("Mesa 5");
    EXPECT_FALSE(impressora.terminaDocumento());
    EXPECT_NE(impressora.ultimoErro().find("varelo-teste"), std::string::npos) << impressora.ultimoErro();
}

// A bill of the database, printed through Qt to the private scheduler's
// queue: the text of the PDF that arrives holds the bill's lines.
TEST(ImpressoraQtCups, ContaChegaAFilaComOTextoDaConta) {
    if (!TemCupsd()) GTEST_SKIP() << "cupsd não está instalado (pacote cups; scripts/install-deps.sh)";
    std::string onde;
    ASSERT_EQ(Executa("command -v pdftotext", onde), 0) << "pdftotext (poppler-utils) is missing";

    ContextoTeste::LimpaBanco();
    ContextoTeste t;
    ASSERT_EQ(::chmod(t.pasta.caminho().c_str(), 0755), 0);
    const int porta = PortaLivre();
    ASSERT_NE(porta, 0);
    CupsPrivado cups(t.pasta.arquivo("cups"), porta);
    ASSERT_TRUE(cups.iniciado()) << cups.saidaInicio();
    ServidorCups servidor(cups.endereco());
    ASSERT_TRUE(servidor.ativo());

    ImpressoraQt impressora;
    Contexto ctx{t.relogio, t.arquivos, t.armazem, t.eventos, t.impressos, t.banco,
                 t.mensagens, t.timer1, t.processos, t.executor, impressora};
    ctx.pastaPrograma = t.ctx.pastaPrograma;
    ctx.cfg = t.ctx.cfg;
    ctx.cfg.LinhaFim = 1;
    ctx.cfg.empresa = {"Restaurante Sabor", "Rua das Palmeiras, 10", "Recife", "PE"};
    t.armazem.grava("Varelo", "Config", "ImpCupom", "varelo-teste");
    for (const char* sql :
         {"Insert into Produtos (codigo, descricao, servico) values (7,'Filé à parmegiana',0)",
          "Insert into cadcomanda (Numero, TaxaServico) values (42,'S')",
          "Insert into Comanda (Comanda, idpedido, Garcon, Ocupantes, Inicio, Mesa) values "
          "(42, 314, 'Ana', 2, '2024-03-05 18:02:09', 7)",
          "Insert into ItemComanda (Comanda, idProduto, qtde, valor) values (42,7,3,10.00)"}) {
        t.banco.AbreBanco(sql);
        t.banco.FechaBanco();
    }

    FechaConta(ctx, 42, "");
    const std::string job = cups.aguardaTrabalho();
    ASSERT_EQ(job.rfind("%PDF-", 0), 0u) << "no job reached the queue\n" << cups.registro();

    std::string texto;
    ASSERT_EQ(Executa("pdftotext -layout " + Aspas(cups.saidaDaFila()) + " -", texto), 0);
    // pdftotext guesses the spaces between words from their positions, so
    // runs of spaces are compared as one.
    auto juntaEspacos = [](std::string s) {
        std::string r;
        for (char c : s)
            if (c != ' ' || r.empty() || r.back() != ' ') r += c;
        return r;
    };
    texto = juntaEspacos(texto);
    for (std::string linha : {"Restaurante Sabor", "Recife - PE", "Comanda:  42",
                              "Filé à parmegiana           3x  10,00    30,00",
                              "Este cupom não tem valor fiscal", "Volte sempre"})
        EXPECT_NE(texto.find(juntaEspacos(linha)), std::string::npos) << linha << "\n" << texto;
}

}  // namespace
}  // namespace varelo
