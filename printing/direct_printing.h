#pragma once
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "printing/escpos.h"
#include "printing/printer_state.h"

namespace varelo {

// The printing system with the direct printers of [Impressoras] beside it:
// a name listed there is printed on directly in ESC/POS, every other name by
// the system's printing (CUPS, or the spool folders). Before each document a
// direct printer is asked its state; one off line, out of paper or that
// cannot be reached refuses the document. A document its printer refused
// (direct, or a queue of the printing system) goes at once to the printer's
// backup (NAME.Reserva), under the line "*** IMPRESSO NA RESERVA DE NAME ***".
// The states seen are recorded in `estados`, which says each change as one
// event-list line.
class ImpressaoComDiretas final : public ImpressoraComEstado {
public:
    ImpressaoComDiretas(SistemaImpressao& sistema, ImpressorasConfiguradas impressoras,
                        std::chrono::milliseconds limite = std::chrono::seconds(3),
                        std::chrono::milliseconds esperaEstado = std::chrono::seconds(1));

    // Where the states seen before each document go; none: not recorded.
    EstadosVistos* estados = nullptr;

    std::vector<std::string> impressoras() override;
    void selecionaImpressora(const std::string& nome) override;
    int quantidadeFontes() override { return sistema_.quantidadeFontes(); }
    std::string fonte(int indice) override { return sistema_.fonte(indice); }
    std::string reservaUsada() const override { return reservaUsada_; }
    // A direct printer is asked over a connection of its own, unless it is
    // printing a document (which tells its state); the others, by the
    // printing system.
    std::optional<EstadoImpressora> estado(const std::string& nome) override;
    // A direct printer's NAME.Colunas.
    int colunas(const std::string& nome) override;

private:
    bool entrega(const std::vector<std::string>& linhas, std::string& erro) override;
    void procuraImpressora() override { atual_ = sistema_.impressoraAtual(); }
    bool entregaEm(const std::string& nome, const std::vector<std::string>& linhas, std::string& erro);
    bool entregaDireta(const ImpressoraDireta& impressora, const std::vector<std::string>& linhas, std::string& erro);
    // The printer's state over the open connection.
    EstadoImpressora pergunta(PortaDireta& porta);
    const ImpressoraDireta* direta(const std::string& nome) const;

    SistemaImpressao& sistema_;
    std::vector<ImpressoraDireta> diretas_;
    std::map<std::string, std::string> reservas_;
    std::chrono::milliseconds limite_, esperaEstado_;
    // Held while a direct printer is spoken to, one per printer (a printer
    // serves one connection at a time; another printer is not held by it).
    // Made once, in the constructor, so that threads only read the map.
    std::map<std::string, std::mutex> falando_;
    std::string reservaUsada_;
};

}  // namespace varelo
