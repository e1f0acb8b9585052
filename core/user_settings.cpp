#include "core/user_settings.h"

#include "base/errors.h"
#include "base/event_list.h"
#include "base/user_store.h"
#include "core/activity_log.h"
#include "core/context.h"

namespace varelo {

std::string LeRegistro(Contexto& ctx, const std::string& aplicacao, const std::string& secao,
                       const std::string& chave, const std::string& padrao) {
    try {
        return ctx.armazem.le(aplicacao, secao, chave, padrao);
    } catch (const Erro& e) {
        ctx.eventos.AdicionaEvento(e.what());
        return "";
    }
}

void GravaRegistro(Contexto& ctx, const std::string& aplicacao, const std::string& secao,
                   const std::string& chave, const std::string& valor) {
    try {
        ctx.armazem.grava(aplicacao, secao, chave, valor);
    } catch (const Erro& e) {
        ctx.eventos.AdicionaEvento(e.what());
    }
}

}  // namespace varelo
