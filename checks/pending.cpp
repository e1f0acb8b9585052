#include "checks/pending.h"

#include <cstdint>
#include <string>

#include "base/event_list.h"
#include "base/regional.h"
#include "base/step.h"
#include "checks/check_support.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "db/banco.h"

namespace varelo {

using verificacoes::Inteiro32;
using verificacoes::kFalhaNoPasso;

void VerificaPendentes(Contexto& ctx) {
    Banco& b = ctx.banco;
    // Only items of a comanda that is still open: an item left behind by a
    // comanda that is gone cannot be printed (its table is unknown) and
    // would otherwise be picked every second, ahead of the others.
    b.AbreBanco(
        "Select * from itemcomanda where (TIME_TO_SEC(TIMEDIFF(now(), datahora))/60) > 5 "
        "and impresso=0 and comanda in (select comanda from comanda) limit 1");
    if (b.rs().eof()) {
        b.FechaBanco();
        return;
    }
    std::int32_t comanda = 0;
    Passo(ctx.eventos, [&] { comanda = Inteiro32(b.rs(), "comanda"); }, kFalhaNoPasso);
    b.FechaBanco();

    const std::string textoComanda = std::to_string(comanda);
    std::string fechando = "N";
    std::int32_t mesa = 0;
    b.AbreBanco("select fechando, mesa, comanda from comanda where comanda = " + textoComanda);
    if (!b.rs().eof()) {
        Passo(ctx.eventos, [&] { mesa = Inteiro32(b.rs(), "mesa"); }, kFalhaNoPasso);
        Passo(ctx.eventos, [&] { fechando = b.rs().campo("fechando").value_or("N"); }, kFalhaNoPasso);
    }
    b.FechaBanco();
    Passo(ctx.eventos, [&] { ctx.varredura.ComandaAtual = ParaInteiro16(static_cast<double>(comanda)); }, kFalhaNoPasso);

    ctx.eventos.AdicionaEvento("Tempo da comanda excedido comanda " + textoComanda);
    ctx.eventos.AdicionaEvento("Gerando impressão para mesa " + std::to_string(mesa));
    Passo(ctx.eventos, [&] { Chama(ctx.procs.ImprimeCupom, mesa); }, kFalhaNoPasso);
    ctx.eventos.AdicionaEvento("Finalizado a impressão da comanda " + textoComanda + " por tempo exedido");
    if (fechando == "N")
        b.AbreBanco("Update Comanda set Status=0 where comanda = " + textoComanda);
    else
        b.AbreBanco("Update Comanda set Status=1 where comanda = " + textoComanda);
    b.FechaBanco();
    ctx.eventos.AdicionaEvento(verificacoes::kSeparador);
}

}  // namespace varelo
