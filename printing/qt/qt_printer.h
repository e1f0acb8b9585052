#pragma once
#include <string>
#include <vector>

#include "base/printing_system.h"

namespace varelo {

// The desktop's printing system through Qt Print Support, which on Linux is
// CUPS: the printers are CUPS's queues, the fonts are the machine's font
// families, and each ended document is painted with QPainter on a
// high-resolution QPrinter in the current font, one text line per baseline
// from the top of the printable area, starting a new page when the next line
// would not fit. Lines wider than the page are cut at its edge. The page
// is painted as PDF in the queue's page layout and submitted with libcups,
// so that a job the scheduler refuses is reported as not printed.
//
// For tests and dry runs it can instead be a printing system with a single
// printer, kImpressoraPdf, that writes each ended document to a PDF file.
//
// Qt fonts and painting need the QGuiApplication: use it on that thread.
class ImpressoraQt final : public SistemaImpressao {
public:
    // The one printer of a printing system made by ParaPdf.
    static constexpr const char* kImpressoraPdf = "PDF";
    // Where a PDF printing system writes: every ended document replaces the
    // file at `arquivo` (whose folder must exist).
    struct ParaPdf {
        std::string arquivo;
    };

    // The desktop's printers; the current one starts as the default
    // printer, else the first, else none.
    ImpressoraQt();
    explicit ImpressoraQt(ParaPdf destino);

    std::vector<std::string> impressoras() override;
    std::string impressoraAtual() const override { return atual_; }
    void selecionaImpressora(const std::string& nome) override;
    int quantidadeFontes() override;
    std::string fonte(int indice) override;
    std::string nomeFonte() const override { return fonte_; }
    void defineNomeFonte(const std::string& nome) override { fonte_ = nome; }
    float tamanhoFonte() const override { return tamanho_; }
    void defineTamanhoFonte(float pontos) override { tamanho_ = pontos; }
    bool negrito() const override { return negrito_; }
    void defineNegrito(bool ligado) override { negrito_ = ligado; }
    void imprime(const std::string& texto) override;
    bool terminaDocumento() override;
    void descartaDocumento() override {
        linhas_.clear();
        temDocumento_ = false;
    }
    std::string ultimoErro() const override { return erro_; }

    // The lines of the document being printed, as they will be painted.
    const std::vector<std::string>& linhasPendentes() const { return linhas_; }

private:
    std::string escolhePadrao();

    std::string arquivoPdf_;  // empty for the desktop's printers
    std::string atual_;
    std::string fonte_ = "DejaVu Sans Mono";
    float tamanho_ = 10;
    bool negrito_ = false;
    std::vector<std::string> linhas_;
    bool temDocumento_ = false;
    std::string erro_;
};

}  // namespace varelo
