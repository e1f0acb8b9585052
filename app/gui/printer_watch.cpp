#include "app/gui/printer_watch.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <utility>

#include "app/monitor.h"
#include "core/context.h"
#include "core/user_settings.h"
#include "printing/printer_panel.h"

namespace varelo {

std::optional<std::vector<std::string>> NomesDoPainel(Monitor& monitor, Contexto& ctx,
                                                      const ImpressorasConfiguradas& configuradas) {
    std::vector<std::string> nomes;
    const auto le = [&] {
        const std::string impCupom = LeRegistro(ctx, kAplicacao, kSecaoRegistro, "ImpCupom", kNaoImprimir);
        nomes = ImpressorasDoPainel(ctx.banco, impCupom, configuradas);
    };
    if (monitor.emPausa() || !monitor.Protege(le)) return std::nullopt;
    return nomes;
}

// What a round's pieces share across the three threads.
struct VigiaDeImpressoras::Rodada {
    Servicos s;
    Trabalhador& perguntas;
    std::atomic<bool> emCurso{false};
    std::vector<std::string> nomes;  // the last read, on the worker
    std::mutex portao;               // guards `aberta` against the watch's end
    bool aberta = true;
};

VigiaDeImpressoras::VigiaDeImpressoras(Servicos servicos, std::chrono::milliseconds intervalo)
    : rodada_(std::make_shared<Rodada>(std::move(servicos), perguntas_)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { atualiza(); });
    timer_.start(intervalo);
}

VigiaDeImpressoras::~VigiaDeImpressoras() {
    timer_.stop();
    {
        const std::lock_guard<std::mutex> trava(rodada_->portao);
        rodada_->aberta = false;
    }
    perguntas_.para();
}

void VigiaDeImpressoras::atualiza() {
    if (rodada_->emCurso.exchange(true)) return;
    rodada_->s.trabalho.posta([r = rodada_] {
        if (auto nomes = r->s.nomes()) r->nomes = std::move(*nomes);
        const std::lock_guard<std::mutex> trava(r->portao);
        if (!r->aberta) return;
        r->perguntas.posta([r, nomes = r->nomes] {
            std::vector<std::pair<std::string, std::optional<EstadoImpressora>>> respostas;
            for (const std::string& nome : nomes) respostas.emplace_back(nome, r->s.impressao.estado(nome));
            r->s.trabalho.posta([r, respostas = std::move(respostas)] {
                std::vector<std::string> linhas;
                for (const auto& [nome, estado] : respostas) {
                    if (estado) r->s.vistos.registra(nome, *estado);
                    linhas.push_back(LinhaDoPainel(nome, estado ? estado : r->s.vistos.ultimo(nome)));
                }
                r->s.mostra(linhas);
                r->emCurso = false;
            });
        });
    });
}

}  // namespace varelo
