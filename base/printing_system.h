#pragma once
#include <optional>
#include <string>
#include <vector>

namespace varelo {

// The printer setting that means that nothing is to be printed.
inline constexpr const char* kNaoImprimir = "Não Imprimir";
// The group printer that means that the item is printed on labels.
inline constexpr const char* kEtiqueta = "Etiqueta";

// What a printer says of itself: unreachable reads as off line to the
// people who read it; a name no printing system knows is not installed.
enum class EstadoImpressora { Pronta, SemPapel, ForaDeLinha, Inalcancavel, NaoInstalada };

// The desktop's printing system as the documents use it: one current
// printer, chosen by device name, with its font; text printed line by line
// and a document ended as a whole.
class SistemaImpressao {
public:
    virtual ~SistemaImpressao() = default;

    // Installed printers by device name, in the printing system's order.
    virtual std::vector<std::string> impressoras() = 0;
    // The current printer's device name (empty when there is none).
    virtual std::string impressoraAtual() const = 0;
    // Makes the printer of that device name current. Throws Erro when no
    // such printer is installed.
    virtual void selecionaImpressora(const std::string& nome) = 0;

    // Fonts installed on the current printer.
    virtual int quantidadeFontes() = 0;
    virtual std::string fonte(int indice) = 0;

    virtual std::string nomeFonte() const = 0;
    virtual void defineNomeFonte(const std::string& nome) = 0;
    virtual float tamanhoFonte() const = 0;
    virtual void defineTamanhoFonte(float pontos) = 0;
    virtual bool negrito() const = 0;
    virtual void defineNegrito(bool ligado) = 0;

    // Prints one text and a line break after it; CR LF inside the text
    // starts new lines. Throws Erro when there is no printer at all.
    virtual void imprime(const std::string& texto) = 0;
    // Ends the document and hands it to the printing system. False when the
    // printing system did not accept it; `ultimoErro` then says why.
    virtual bool terminaDocumento() = 0;
    // Drops what was printed since the last end of document, so that a
    // document that failed half-way never opens the next one.
    virtual void descartaDocumento() = 0;
    virtual std::string ultimoErro() const = 0;
    // The backup printer that took the last document because its own
    // printer refused it; empty when its own printer took it.
    virtual std::string reservaUsada() const { return ""; }
    // The state of the printer of that name, asked without printing and
    // safe to ask from another thread than the one that prints. Nothing
    // when it cannot be told now (the printer is busy with a document).
    virtual std::optional<EstadoImpressora> estado(const std::string&) { return std::nullopt; }
    // Characters per line of the printer of that name, for the layouts that
    // centre or fill a line.
    virtual int colunas(const std::string&) { return kColunasPadrao; }
    static constexpr int kColunasPadrao = 48;
};

}  // namespace varelo
