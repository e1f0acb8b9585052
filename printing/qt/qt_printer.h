#pragma once
#include <functional>
#include <string>
#include <vector>

#include "printing/escpos.h"
#include "printing/printer_state.h"

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
// Qt's fonts and painting need the QGuiApplication to exist.
class ImpressoraQt final : public ImpressoraComEstado {
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
    void selecionaImpressora(const std::string& nome) override;
    int quantidadeFontes() override;
    std::string fonte(int indice) override;

    // A CUPS queue's state as its scheduler tells it; a queue it does not
    // know is not installed. Asked from any thread.
    std::optional<EstadoImpressora> estado(const std::string& nome) override;

    // Where the queues' states seen before each document are recorded, and
    // their changes said; none: not recorded.
    EstadosVistos* estados = nullptr;

private:
    bool entrega(const std::vector<std::string>& linhas, std::string& erro) override;
    void procuraImpressora() override { atual_ = escolhePadrao(); }
    std::string escolhePadrao();

    std::string arquivoPdf_;  // empty for the desktop's printers
};

}  // namespace varelo
