#include "printing/qt/qt_printer.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

#include <cups/cups.h>

#include <algorithm>

#include "base/errors.h"
#include "printing/escpos.h"

namespace varelo {
namespace {

constexpr float kTamanhoPadrao = 10;

QString Q(const std::string& texto) {
    return QString::fromUtf8(texto.data(), static_cast<qsizetype>(texto.size()));
}

std::string S(const QString& texto) { return texto.toUtf8().toStdString(); }

struct Fonte {
    std::string nome;
    float tamanho;
    bool negrito;
};

// Paints the lines on `impressora`, which is set up but not yet begun, and
// ends the job. False with `erro` set when the job could not start, a page
// could not be added or the printing system reported a failure.
bool Pinta(QPrinter& impressora, const Fonte& fonte, const std::vector<std::string>& linhas,
           const std::string& destino, std::string& erro) {
    impressora.setDocName(QStringLiteral("VareloSync"));
    QPainter pintor;
    if (!pintor.begin(&impressora)) {
        erro = "Não foi possível iniciar a impressão " + destino;
        return false;
    }
    // The 46- and 48-column layouts line up only in a fixed-pitch font: a
    // font that is not installed gives way to the machine's fixed-pitch one.
    QFont qfonte = QFontDatabase::families().contains(Q(fonte.nome))
                       ? QFont(Q(fonte.nome))
                       : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    qfonte.setPointSizeF(fonte.tamanho > 0 ? fonte.tamanho : kTamanhoPadrao);
    qfonte.setBold(fonte.negrito);
    pintor.setFont(qfonte);
    // Measured at the printer's resolution, the unit the painter draws in.
    const QFontMetricsF medidas(pintor.font(), &impressora);
    // The painter's origin is the top left corner of the printable area.
    const double altura = impressora.pageLayout().paintRectPixels(impressora.resolution()).height();

    double linhaBase = medidas.ascent();
    bool paginaVazia = true;
    for (const std::string& linha : linhas) {
        if (!paginaVazia && linhaBase + medidas.descent() > altura) {
            if (!impressora.newPage()) {
                pintor.end();
                erro = "Não foi possível começar uma nova página " + destino;
                return false;
            }
            linhaBase = medidas.ascent();
        }
        if (!linha.empty()) pintor.drawText(QPointF(0, linhaBase), Q(linha));
        paginaVazia = false;
        linhaBase += medidas.lineSpacing();
    }
    const bool terminou = pintor.end();
    const QPrinter::PrinterState estado = impressora.printerState();
    if (!terminou || estado == QPrinter::Error || estado == QPrinter::Aborted) {
        erro = "O sistema de impressão não aceitou o documento " + destino;
        return false;
    }
    return true;
}

// The queue's state as its scheduler tells it; not installed when it does
// not know the queue.
EstadoImpressora EstadoDaFilaCups(const std::string& fila) {
    cups_dest_t* destino = cupsGetNamedDest(CUPS_HTTP_DEFAULT, fila.c_str(), nullptr);
    if (!destino) return EstadoImpressora::NaoInstalada;
    const auto opcao = [destino](const char* nome) {
        const char* valor = cupsGetOption(nome, destino->num_options, destino->options);
        return std::string(valor ? valor : "");
    };
    const EstadoImpressora estado =
        EstadoDaFila(opcao("printer-state"), opcao("printer-is-accepting-jobs"), opcao("printer-state-reasons"));
    cupsFreeDests(1, destino);
    return estado;
}

// Paints the lines into a PDF laid out for the CUPS queue `fila` and hands
// it to the queue through libcups, as Qt's own CUPS engine would, but
// keeping the scheduler's answer: a queue that refuses jobs, a queue gone
// or a scheduler that does not answer is a failure, with its reason.
bool ImprimeNaFila(const std::string& fila, const Fonte& fonte,
                   const std::vector<std::string>& linhas, std::string& erro) {
    QPrinter nativa(QPrinter::HighResolution);
    nativa.setPrinterName(Q(fila));
    // QPrinter falls back to writing a PDF file, or keeps another printer,
    // when it cannot use the one named; neither may happen here.
    if (nativa.outputFormat() != QPrinter::NativeFormat || nativa.printerName() != Q(fila)) {
        erro = "Não foi possível usar a impressora " + fila;
        return false;
    }
    QTemporaryFile arquivo(QDir::tempPath() + QStringLiteral("/varelosync-XXXXXX.pdf"));
    if (!arquivo.open()) {
        erro = "Não foi possível criar o arquivo temporário da impressão na impressora " + fila;
        return false;
    }
    arquivo.close();
    const std::string destino = "na impressora " + fila;
    {
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(arquivo.fileName());
        pdf.setPageLayout(nativa.pageLayout());
        if (!Pinta(pdf, fonte, linhas, destino, erro)) return false;
    }
    const QByteArray caminho = QFile::encodeName(arquivo.fileName());
    const int trabalho = cupsPrintFile2(CUPS_HTTP_DEFAULT, fila.c_str(), caminho.constData(),
                                        "VareloSync", 0, nullptr);
    if (trabalho <= 0) {
        erro = "O sistema de impressão não aceitou o documento " + destino + ": " +
               cupsLastErrorString();
        return false;
    }
    return true;
}

}  // namespace

ImpressoraQt::ImpressoraQt() : ImpressoraComEstado("DejaVu Sans Mono") { atual_ = escolhePadrao(); }

ImpressoraQt::ImpressoraQt(ParaPdf destino)
    : ImpressoraComEstado("DejaVu Sans Mono"), arquivoPdf_(std::move(destino.arquivo)) {
    if (arquivoPdf_.empty()) throw Erro("Arquivo PDF da impressão não informado");
    atual_ = kImpressoraPdf;
}

std::string ImpressoraQt::escolhePadrao() {
    const std::string padrao = S(QPrinterInfo::defaultPrinterName());
    const auto lista = impressoras();
    if (!padrao.empty() && std::find(lista.begin(), lista.end(), padrao) != lista.end())
        return padrao;
    return lista.empty() ? std::string() : lista.front();
}

std::vector<std::string> ImpressoraQt::impressoras() {
    if (!arquivoPdf_.empty()) return {kImpressoraPdf};
    std::vector<std::string> nomes;
    for (const QString& nome : QPrinterInfo::availablePrinterNames()) nomes.push_back(S(nome));
    return nomes;
}

void ImpressoraQt::selecionaImpressora(const std::string& nome) {
    const auto lista = impressoras();
    if (std::find(lista.begin(), lista.end(), nome) == lista.end())
        throw Erro("Impressora não instalada: " + nome);
    atual_ = nome;
}

int ImpressoraQt::quantidadeFontes() { return static_cast<int>(QFontDatabase::families().size()); }

std::string ImpressoraQt::fonte(int indice) {
    const QStringList familias = QFontDatabase::families();
    if (indice < 0 || indice >= familias.size())
        throw Erro("Índice de fonte fora do intervalo: " + std::to_string(indice));
    return S(familias.at(indice));
}

bool ImpressoraQt::entrega(const std::vector<std::string>& linhas, std::string& erro) {
    const Fonte fonte{fonte_, tamanho_, negrito_};
    if (!arquivoPdf_.empty()) {
        QPrinter impressora(QPrinter::HighResolution);
        impressora.setOutputFormat(QPrinter::PdfFormat);
        impressora.setOutputFileName(Q(arquivoPdf_));
        return Pinta(impressora, fonte, linhas, "no arquivo " + arquivoPdf_, erro);
    }
    if (!QPrinterInfo::availablePrinterNames().contains(Q(atual_))) {
        erro = "A impressora " + atual_ + " não existe mais";
        return false;
    }
    // A queue out of paper would hold the job until someone noticed: the
    // scheduler's state refuses it before anything is painted.
    const EstadoImpressora estado = EstadoDaFilaCups(atual_);
    if (estados) estados->registra(atual_, estado);
    if (estado == EstadoImpressora::SemPapel || estado == EstadoImpressora::ForaDeLinha) {
        erro = LinhaDeEstado(atual_, estado);
        return false;
    }
    return ImprimeNaFila(atual_, fonte, linhas, erro);
}

std::optional<EstadoImpressora> ImpressoraQt::estado(const std::string& nome) {
    if (!arquivoPdf_.empty()) return nome == kImpressoraPdf ? EstadoImpressora::Pronta : EstadoImpressora::NaoInstalada;
    return EstadoDaFilaCups(nome);
}

}  // namespace varelo
