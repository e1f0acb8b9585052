#include "printing/print_transaction.h"

#include "app/activity_log.h"
#include "app/context.h"
#include "app/errors.h"
#include "db/banco.h"

namespace varelo {

DiarioImpressao DiarioDaImpressao(Contexto& ctx) {
    return DiarioImpressao(ctx.arquivos, Junta(ctx.pastaPrograma, "impressoes.diario"));
}

std::string ChaveImpressao(const std::string& tipo, const std::string& id, const std::string& impressora) {
    std::string chave = tipo + ":" + id + (impressora.empty() ? "" : "@" + impressora);
    for (char& c : chave)
        if (c == '\n' || c == '\r') c = ' ';
    return chave;
}

TransacaoImpressao::TransacaoImpressao(Contexto& ctx, bool comBanco)
    : ctx_(ctx), diario_(DiarioDaImpressao(ctx)) {
    if (comBanco) transacao_ = std::make_unique<Transacao>(ctx.banco);
}

TransacaoImpressao::~TransacaoImpressao() = default;

bool TransacaoImpressao::reimpressao(const std::vector<std::string>& chaves) const {
    return diario_.pendente(chaves);
}

bool TransacaoImpressao::entrega(const std::vector<std::string>& chaves,
                                 const std::function<bool(std::string&)>& entrega, std::string& motivo) {
    // Already pending (it may be on paper from before): stays so if refused now.
    const bool jaPendente = diario_.pendente(chaves);
    diario_.entregando(chaves);
    if (!entrega(motivo)) {
        if (!jaPendente) diario_.esquece(chaves);
        return false;
    }
    entregues_.insert(entregues_.end(), chaves.begin(), chaves.end());
    return true;
}

void TransacaoImpressao::confirma() {
    if (transacao_) transacao_->confirma();
    try {
        diario_.esquece(entregues_);
    } catch (const Erro& e) {
        // The marks are committed, so nothing prints again; a key left behind
        // would only mark a later print of the same thing as a repeat.
        AdicionaEvento(ctx_, e.what());
    }
}

}  // namespace varelo
