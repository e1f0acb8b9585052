#include "base/step.h"

#include "base/errors.h"
#include "base/event_list.h"

namespace varelo {

bool Passo(const std::function<void()>& passo, const std::function<void(const Erro&)>& aoFalhar) {
    try {
        passo();
        return true;
    } catch (const ErroBanco&) {
        throw;
    } catch (const PedidoAdiado&) {
        throw;
    } catch (const ArquivoNaoGravado&) {
        throw;
    } catch (const ServidorIncompativel&) {
        throw;
    } catch (const Erro& e) {
        aoFalhar(e);
    } catch (const std::exception& e) {
        aoFalhar(Erro(e.what()));
    }
    return false;
}

bool Passo(ListaEventos& eventos, const std::function<void()>& passo, const std::string& mensagem) {
    return Passo(passo, [&](const Erro& e) { eventos.AdicionaEvento(mensagem.empty() ? e.what() : mensagem); });
}

}  // namespace varelo
