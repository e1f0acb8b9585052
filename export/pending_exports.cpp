#include "export/pending_exports.h"

#include <algorithm>

#include "base/errors.h"
#include "base/event_list.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "db/banco.h"

namespace varelo {
namespace {

constexpr int kRecusasParaDesistir = 3;

std::vector<ExportacaoPendente>::iterator Procura(Contexto& ctx, const std::string& chave) {
    return std::find_if(ctx.exportacoesPendentes.begin(), ctx.exportacoesPendentes.end(),
                        [&](const ExportacaoPendente& p) { return p.chave == chave; });
}

void Esquece(Contexto& ctx, const std::string& chave) {
    const auto p = Procura(ctx, chave);
    if (p != ctx.exportacoesPendentes.end()) ctx.exportacoesPendentes.erase(p);
}

}  // namespace

void Retomavel(Contexto& ctx, const std::string& chave, const std::function<void()>& exporta) {
    if (Procura(ctx, chave) == ctx.exportacoesPendentes.end())
        ctx.exportacoesPendentes.push_back({chave, exporta, 0});
    try {
        exporta();
    } catch (const ArquivoNaoGravado& e) {
        ctx.eventos.AdicionaEvento(e.what());
        return;  // the old file stays whole; written at the next tick
    }
    Esquece(ctx, chave);
}

void RetomaExportacoes(Contexto& ctx) {
    const std::vector<ExportacaoPendente> pendentes = ctx.exportacoesPendentes;
    for (const ExportacaoPendente& p : pendentes) {
        try {
            Retomavel(ctx, p.chave, p.executa);
        } catch (const ErroBanco& e) {
            if (e.perdaDeConexao()) throw;
            ctx.banco.abandona();
            const auto atual = Procura(ctx, p.chave);
            if (atual != ctx.exportacoesPendentes.end() && ++atual->recusas >= kRecusasParaDesistir) {
                ctx.exportacoesPendentes.erase(atual);
                ctx.eventos.AdicionaEvento("Exportação abandonada após " + std::to_string(kRecusasParaDesistir) +
                                        " recusas do banco de dados: " + p.chave);
            }
        }
    }
}

}  // namespace varelo
