#include "printing/document.h"

#include "base/errors.h"
#include "db/banco.h"
#include "base/event_list.h"
#include "base/printing_system.h"
#include "core/context.h"
#include "printing/layout.h"

namespace varelo {

bool Entrega(Contexto& ctx, const Documento& documento, std::string& motivo) {
    DefineImpressora(ctx, documento.impressora);
    SistemaImpressao& impressao = ctx.impressao;
    try {
        if (documento.fonte == Documento::Fonte::Conta) FonteConta(ctx);
        if (documento.fonte == Documento::Fonte::CozinhaSeInstalada) FonteCozinha(ctx);
        for (const std::string& linha : documento.linhas) impressao.imprime(linha);
    } catch (const Erro& e) {
        impressao.descartaDocumento();
        motivo = e.what();
        return false;
    }
    if (impressao.terminaDocumento()) return true;
    motivo = impressao.ultimoErro();
    impressao.descartaDocumento();
    return false;
}

void FechaBancosAposImpressao(ListaEventos& eventos, Banco& banco) {
    eventos.AdicionaEvento("Fechando os Bancos apos impressao");
    banco.FechaBanco();
    banco.FechaBanco2();
    banco.FechaBanco3();
    eventos.AdicionaEvento("Bancos Fechados");
}

}  // namespace varelo
