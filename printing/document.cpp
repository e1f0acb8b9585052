#include "printing/document.h"

#include "db/banco.h"
#include "base/event_list.h"
#include "base/printing_system.h"
#include "core/context.h"
#include "printing/layout.h"
#include "printing/printer_state.h"

namespace varelo {

bool Entrega(Contexto& ctx, const Documento& documento, std::string& motivo) {
    DefineImpressora(ctx, documento.impressora);
    const auto fonte = [&] {
        if (documento.fonte == Documento::Fonte::Conta) FonteConta(ctx);
        if (documento.fonte == Documento::Fonte::CozinhaSeInstalada) FonteCozinha(ctx);
    };
    return ImprimeDocumento(ctx.impressao, fonte, documento.linhas, motivo);
}

void FechaBancosAposImpressao(ListaEventos& eventos, Banco& banco) {
    eventos.AdicionaEvento("Fechando os Bancos apos impressao");
    banco.FechaBanco();
    banco.FechaBanco2();
    banco.FechaBanco3();
    eventos.AdicionaEvento("Bancos Fechados");
}

}  // namespace varelo
