#include "checks/tablet.h"

#include <cstdint>

#include "base/event_list.h"
#include "base/regional.h"
#include "base/step.h"
#include "checks/check_support.h"
#include "checks/schedule.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "db/banco.h"

namespace varelo {

using verificacoes::Inteiro32;
using verificacoes::kFalhaNoPasso;

namespace {

// Entering or leaving a price period switches the prices of "cadpro.txt", so
// the catalog is written again on each transition and only then.
void AcompanhaHorario(Contexto& ctx, const std::string& pasta) {
    Passo(ctx.eventos, [&] {
        if (!ctx.cfg.EmHorario && DentroDoHorario(ctx)) {
            ctx.cfg.EmHorario = true;
            Chama(ctx.procs.ExportaProdutos, pasta);
        }
    }, kFalhaNoPasso);
    Passo(ctx.eventos, [&] {
        if (ctx.cfg.EmHorario && !DentroDoHorario(ctx)) {
            ctx.cfg.EmHorario = false;
            Chama(ctx.procs.ExportaProdutos, pasta);
        }
    }, kFalhaNoPasso);
}

}  // namespace

void VerificaTablet(Contexto& ctx, const std::string& pasta) {
    AcompanhaHorario(ctx, pasta);

    Banco& b = ctx.banco;
    // Only the two known requests are served. Any other value is left as it
    // is and must not hold back the requests of higher comanda numbers.
    b.AbreBanco("Select * from Comanda where status in (2, 3) order by Comanda");
    if (b.rs().eof()) {
        b.FechaBanco();
        return;
    }
    std::int32_t mesa = 0, status = 0, comanda = 0;
    std::string fechando;
    Passo(ctx.eventos, [&] { mesa = Inteiro32(b.rs(), "mesa"); }, kFalhaNoPasso);
    Passo(ctx.eventos, [&] { status = Inteiro32(b.rs(), "Status"); }, kFalhaNoPasso);
    Passo(ctx.eventos, [&] { comanda = Inteiro32(b.rs(), "comanda"); }, kFalhaNoPasso);
    Passo(ctx.eventos, [&] { fechando = b.rs().campo("fechando").value_or("N"); }, kFalhaNoPasso);
    b.FechaBanco();
    // The printing reads ComandaAtual. The statements below use the full
    // number, so a comanda beyond its range is still the one updated.
    Passo(ctx.eventos, [&] { ctx.varredura.ComandaAtual = ParaInteiro16(static_cast<double>(comanda)); }, kFalhaNoPasso);

    const std::string textoMesa = std::to_string(mesa);
    const std::string textoComanda = std::to_string(comanda);
    if (status == 2) {
        ctx.eventos.AdicionaEvento("Gerando impressão para mesa " + textoMesa);
        bool servido = true;
        Passo(ctx.eventos, [&] { servido = ChamaOu(true, ctx.procs.ImprimeCupom, mesa); }, kFalhaNoPasso);
        ctx.eventos.AdicionaEvento("Finalizado a impressão da mesa " + textoMesa);
        // A ticket refused: the request stays and is served again next scan.
        if (!servido) {
            ctx.eventos.AdicionaEvento(verificacoes::kSeparador);
            return;
        }
        if (fechando == "N") {
            ctx.eventos.AdicionaEvento("Status Mesa " + textoMesa + " Normal 0");
            b.AbreBanco("Update Comanda set Status=0 where comanda = " + textoComanda);
        } else {
            ctx.eventos.AdicionaEvento("Status Mesa " + textoMesa + " é Fechando 1");
            b.AbreBanco("Update Comanda set Status=1 where comanda = " + textoComanda);
        }
        b.FechaBanco();
    } else if (status == 3) {
        ctx.eventos.AdicionaEvento("Fechando a conta para comanda " + textoComanda);
        const std::string fecha = "Update Comanda set Status = 1, Fechando = 'S' where Comanda = " + textoComanda;
        // The bill carries the request's closing mark in its own print
        // transaction; a bill refused leaves the request for the next scan.
        ResultadoConta resultado = ResultadoConta::NaoImpressa;
        Passo(ctx.eventos, [&] { resultado = ChamaOu(ResultadoConta::NaoImpressa, ctx.procs.FechaConta, comanda, std::string(), fecha); }, kFalhaNoPasso);
        if (resultado == ResultadoConta::Recusada) {
            ctx.eventos.AdicionaEvento(verificacoes::kSeparador);
            return;
        }
        if (resultado == ResultadoConta::NaoImpressa) {
            b.AbreBanco(fecha);
            b.FechaBanco();
        }
        ctx.eventos.AdicionaEvento("Atualizando status da comanda " + textoComanda + " como impresso");
        ctx.eventos.AdicionaEvento("Finalizado a impressão da conta da comanda " + textoComanda);
    }
    ctx.eventos.AdicionaEvento(verificacoes::kSeparador);
}

}  // namespace varelo
