#pragma once
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/gui/worker.h"

namespace varelo {

class EstadosVistos;
class SistemaImpressao;

// The window's panel of printers, refreshed every few seconds without
// holding anybody: the names are read on the worker (the database is its
// own), the printers asked on a thread of their own (one that does not
// answer takes seconds to say so), and what they said is recorded on the
// worker (one event line per change, as when printing) and shown.
class VigiaDeImpressoras {
public:
    struct Servicos {
        Trabalhador& trabalho;
        // The printers to show; run on the worker. When it throws Erro the
        // names read last are kept (the scan reports a database failure).
        std::function<std::vector<std::string>()> nomes;
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
