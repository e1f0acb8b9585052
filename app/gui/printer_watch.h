#pragma once
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/gui/worker.h"

namespace varelo {

class EstadosVistos;
class Monitor;
class SistemaImpressao;
struct Contexto;
struct ImpressorasConfiguradas;

// The printers of the window's panel (ImpressorasDoPainel), read as a unit
// of the monitor's work, so that a database failure there is told and
// handled as anywhere else (a lost connection pauses the monitor). Nothing
// during a pause or after a failure: the names read last stay.
std::optional<std::vector<std::string>> NomesDoPainel(Monitor& monitor, Contexto& ctx,
                                                      const ImpressorasConfiguradas& configuradas);

// The window's panel of printers, refreshed every few seconds without
// holding anybody: the names are read on the worker (the database is its
// own), the printers asked on a thread of their own (one that does not
// answer takes seconds to say so), and what they said is recorded on the
// worker (one event line per change, as when printing) and shown.
class VigiaDeImpressoras {
public:
    struct Servicos {
        Trabalhador& trabalho;
        // The printers to show; run on the worker. Nothing: the names read
        // last stay.
        std::function<std::optional<std::vector<std::string>>()> nomes;
        SistemaImpressao& impressao;  // asked from the watch's thread
        EstadosVistos& vistos;        // used on the worker
        // The panel's lines (LinhaDoPainel), called on the worker.
        std::function<void(const std::vector<std::string>&)> mostra;
    };
    VigiaDeImpressoras(Servicos servicos, std::chrono::milliseconds intervalo);
    // Waits for the printers being asked; their answers still reach the
    // worker, so the services must outlive the worker's work.
    ~VigiaDeImpressoras();
    VigiaDeImpressoras(const VigiaDeImpressoras&) = delete;
    VigiaDeImpressoras& operator=(const VigiaDeImpressoras&) = delete;

    // One round now, unless one is still going.
    void atualiza();

private:
    struct Rodada;
    Trabalhador perguntas_;
    std::shared_ptr<Rodada> rodada_;
    QTimer timer_;
};

}  // namespace varelo
