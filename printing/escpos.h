#pragma once
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/descriptor.h"
#include "base/printing_system.h"

namespace varelo {

// A thermal receipt printer spoken to directly in ESC/POS, as a key of the
// section [Impressoras] of config.ini names it:
//   Cozinha=tcp://192.168.0.50:9100   (raw TCP) or Bar=/dev/usb/lp0 (a path)
//   Cozinha.Reserva=Bar  Bar.Colunas=42  Bar.CodePage=850
struct ImpressoraDireta {
    std::string nome;      // as configured
    std::string endereco;  // tcp://HOST:PORT, or a device or file path
    int colunas = SistemaImpressao::kColunasPadrao;
    int paginaDeCodigo = 860;
};

// What [Impressoras] says: the direct printers, and the backup of any
// printer (direct, or of the printing system) by name.
struct ImpressorasConfiguradas {
    std::vector<ImpressoraDireta> diretas;
    std::map<std::string, std::string> reservas;
    bool vazia() const { return diretas.empty() && reservas.empty(); }
};

// The section's printers; a value that cannot be used is left out and named
// in `erros`, in a sentence for the event list.
ImpressorasConfiguradas LeImpressoras(const std::vector<std::pair<std::string, std::string>>& secao,
                                      std::vector<std::string>& erros);

// The bytes of one document: ESC @ (initialise), ESC t (the code table of
// the printer's code page), bold (ESC E) when the document's font is, double
// width and height (GS !) from 14 points, the lines in the code page each
// ended by LF, four blank lines of feed and a partial cut (GS V 1).
std::string DocumentoEscPos(const std::vector<std::string>& linhas, const ImpressoraDireta& impressora, bool negrito,
                            float tamanho);

// The state from the real-time status answers (DLE EOT 1, the printer;
// DLE EOT 4, the roll paper); an answer that did not come says nothing, so
// a printer that does not answer counts as ready.
EstadoImpressora EstadoDasRespostas(std::optional<unsigned char> impressora, std::optional<unsigned char> papel);

// The state of a queue of the printing system from what its scheduler says
// (CUPS: printer-state, printer-is-accepting-jobs, printer-state-reasons):
// out of paper on "media-empty"; off line when stopped (5), not taking jobs
// or "offline"; else ready.
EstadoImpressora EstadoDaFila(const std::string& estado, const std::string& aceita, const std::string& motivos);

// The state as people read it: "pronta", "sem papel", "fora de linha" (an
// unreachable printer too), "não instalada".
std::string NomeDoEstado(EstadoImpressora estado);
// The event-list line of a state: "Impressora NAME: " and its name.
std::string LinhaDeEstado(const std::string& nome, EstadoImpressora estado);

// The last state seen of each printer, shared by whatever asks them (the
// printing before each document, the window's panel), all on one thread.
// A new state is worth one event-list line when the kitchen reads it as a
// change (unreachable and off line read the same); a printer first seen
// ready, or not installed, says nothing.
class EstadosVistos {
public:
    // Where the lines go (the event list, once the program is built).
    std::function<void(const std::string&)> avisa;
    void registra(const std::string& nome, EstadoImpressora estado);
    std::optional<EstadoImpressora> ultimo(const std::string& nome) const;

private:
    std::map<std::string, EstadoImpressora> estados_;
};

// One connection to a direct printer, closed when it goes; every step has
// a time limit, so that a dead printer never holds the scan.
class PortaDireta {
public:
    // Throws Erro when the printer cannot be reached within `limite`.
    PortaDireta(const std::string& endereco, std::chrono::milliseconds limite);
    PortaDireta(const PortaDireta&) = delete;
    PortaDireta& operator=(const PortaDireta&) = delete;

    // DLE EOT n and the one byte of its answer, if it comes within `espera`
    // (a file or a device that is not a socket answers nothing).
    std::optional<unsigned char> pergunta(unsigned char n, std::chrono::milliseconds espera);
    // Throws Erro when the bytes are not all written within the limit.
    void escreve(const std::string& bytes);

private:
    // Waits until the descriptor can be written (POLLOUT) or read (POLLIN);
    // false after `espera`.
    bool aguarda(short evento, std::chrono::milliseconds espera) const;

    Descritor fd_;
    bool socket_ = false;
    std::chrono::milliseconds limite_;
};

}  // namespace varelo
