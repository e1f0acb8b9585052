#include "printing/print_transaction.h"

#include "base/encoding.h"
#include "base/errors.h"
#include "base/event_list.h"
#include "base/files.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "db/banco.h"
#include "printing/document.h"
#include "printing/layout.h"

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

namespace {

constexpr const char* kPrefixoPedido = "pedido:";

}  // namespace

std::string ChavePedido(Contexto& ctx, const std::string& caminho) {
    return ChaveImpressao("pedido", caminho + "#" + ctx.arquivos.carimbo(caminho));
}

void EsqueceSeApagado(Contexto& ctx, const std::string& caminho, const std::string& chave) {
    if (!ctx.arquivos.carimbo(caminho).empty()) return;
    try {
        DiarioDaImpressao(ctx).esquece({chave});
    } catch (const Erro& e) {
        ctx.eventos.AdicionaEvento(e.what());
    }
}

void ReconciliaImpressoes(Contexto& ctx) {
    try {
        DiarioDaImpressao(ctx).esqueceSe([&](const std::string& chave) {
            if (chave.rfind(kPrefixoPedido, 0) != 0) return false;
            const auto cerquilha = chave.rfind('#');
            const std::string caminho = chave.substr(std::string(kPrefixoPedido).size(),
                                                     cerquilha - std::string(kPrefixoPedido).size());
            return ctx.arquivos.carimbo(caminho) != chave.substr(cerquilha + 1);
        });
    } catch (const Erro& e) {
        ctx.eventos.AdicionaEvento(e.what());
    }
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
    try {
        diario_.entregando(chaves);
    } catch (const Erro& e) {
        // Not handed over unjournaled: it could go out twice unmarked.
        motivo = std::string("Diário de impressão: ") + e.what();
        return false;
    }
    if (!entrega(motivo)) {
        try {
            if (!jaPendente) diario_.esquece(chaves);
        } catch (const Erro&) {
            // Left behind, the key only marks a later print as a repeat.
        }
        return false;
    }
    entregues_.insert(entregues_.end(), chaves.begin(), chaves.end());
    return true;
}

void TransacaoImpressao::adia(const std::vector<std::string>& chaves, const std::string& nome,
                              const Documento& documento) {
    diario_.entregando(chaves);
    const std::string pasta = Junta(ctx_.pastaPrograma, "pendentes");
    ctx_.arquivos.criaPasta(pasta);
    std::string conteudo = documento.impressora + "\r\n";
    for (const std::string& linha : documento.linhas) conteudo += linha + "\r\n";
    ctx_.arquivos.gravaDuravel(Junta(pasta, nome + ".txt"), ParaCp1252(conteudo));
}

void ImprimePendentes(Contexto& ctx) {
    const std::string pasta = Junta(ctx.pastaPrograma, "pendentes");
    if (!ctx.arquivos.ehPasta(pasta)) return;
    for (const std::string& nome : ctx.arquivos.lista(pasta))
        if (!ImprimeDiverso(ctx, Junta(pasta, nome))) return;
}

void TransacaoImpressao::confirma(bool esquece) {
    if (transacao_) transacao_->confirma();
    if (!esquece) return;
    try {
        diario_.esquece(entregues_);
    } catch (const Erro& e) {
        // The marks are committed, so nothing prints again; a key left behind
        // would only mark a later print of the same thing as a repeat.
        ctx_.eventos.AdicionaEvento(e.what());
    }
}

}  // namespace varelo
