#include "checks/delivery_check.h"

#include <exception>
#include <functional>
#include <vector>

#include "base/errors.h"
#include "base/step.h"
#include "base/event_list.h"
#include "base/regional.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "db/banco.h"

namespace varelo {
namespace {

const std::string kSeparador(61, '-');

struct Pedido {
    std::int32_t numero;
    std::int32_t comando;
};

// A failed step of the check is logged so; the check goes on with the next.
const std::string kFalhaNoPasso = "Erro Verificacao Impressão de Delivery";

void ImprimePedido(Contexto& ctx, std::int32_t pedido) {
    const std::string numero = std::to_string(pedido);
    bool servido = true;
    Passo(ctx.eventos, [&] {
        ctx.eventos.AdicionaEvento("Gerando impressão para delivery " + numero);
        servido = ChamaOu(true, ctx.procs.ImprimeDelivery, pedido);
        ctx.eventos.AdicionaEvento("Finalizado a impressão de delivery " + numero);
    }, kFalhaNoPasso);
    // A ticket refused keeps the request, served again at the next scan.
    if (servido) {
        ctx.banco.AbreBanco("Update Delivery set Comando=0 where idpedido = " + numero);
        ctx.banco.FechaBanco();
    }
    ctx.eventos.AdicionaEvento(kSeparador);
}

void AvisaPedido(Contexto& ctx, const Pedido& p) {
    if (p.comando == 2) {
        // What a request 2 should print is not settled: it is only logged
        // and stays pending.
        const std::string comanda = std::to_string(ctx.varredura.ComandaAtual);
        ctx.eventos.AdicionaEvento("Fechando a conta para comanda " + comanda);
        ctx.eventos.AdicionaEvento("Finalizado a impressão da conta da comanda " + comanda);
    }
    ctx.eventos.AdicionaEvento(kSeparador);
}

}  // namespace

void VerificaDelivery(Contexto& ctx, const std::string& /*pasta*/, AvisosDelivery& avisos) {
    Banco& banco = ctx.banco;
    std::vector<Pedido> pendentes;
    banco.AbreBanco("Select * from Delivery where Comando > 0 order by idPedido");
    for (Registros& rs = banco.rs(); !rs.eof(); rs.proximo())
        Passo(ctx.eventos, [&] {
            pendentes.push_back({ParaInteiro32(rs.texto("idPedido")), ParaInteiro32(rs.texto("comando"))});
        }, kFalhaNoPasso);
    banco.FechaBanco();

    std::set<std::pair<std::int32_t, std::int32_t>> outros;
    bool servido = false;
    for (const Pedido& p : pendentes) {
        if (p.comando == 1) {
            // One ticket per call; the next request waits for the next scan.
            if (!servido) ImprimePedido(ctx, p.numero);
            servido = true;
            continue;
        }
        outros.insert({p.numero, p.comando});
        if (!avisos.jaAvisado(p.numero, p.comando)) AvisaPedido(ctx, p);
    }
    avisos.substitui(std::move(outros));
}
}  // namespace varelo
