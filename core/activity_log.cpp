#include "core/activity_log.h"

#include <chrono>
#include <cmath>

#include "base/clock.h"
#include "base/errors.h"
#include "base/event_list.h"
#include "base/platform.h"
#include "base/regional.h"
#include "core/context.h"
#include "db/banco.h"
#include "db/sql.h"

namespace varelo {

void Espera(Relogio& relogio, float segundos) {
    const double ms = std::floor(static_cast<double>(segundos) * 1000.0);
    if (ms >= 1.0) relogio.espera(std::chrono::milliseconds(static_cast<long long>(ms)));
}

void GravaLog(Contexto& ctx, const std::string& TextoLog, const std::string& TipoLog,
              const std::string& UsuarioLog) {
    try {
        const DataHora agora = ctx.relogio.agora();
        const std::string sql = "Insert into Logs (log, DataHora, Usuario, Tipo) VALUES ('" +
                                ctx.banco.Escapa(TextoLog) + "','" + DataAAAAMMDD(agora) +
                                " " + HoraTexto(agora).substr(0, 8) + "','" +
                                ctx.banco.Escapa(UsuarioLog) + "','" + ctx.banco.Escapa(TipoLog) + "')";
        ctx.banco.AbreBanco(sql);
        ctx.banco.FechaBanco();
    } catch (const Erro& e) {
        ctx.mensagens.informa("VareloSync", std::string("Erro gravando log: ") + e.what());
    }
}

void LogImp(Contexto& ctx, const std::string& logImpressora, const std::string& logProduto,
            const std::string& logComanda, std::int16_t idDebug) {
    const DataHora agora = ctx.relogio.agora();
    ctx.impressos.adiciona(DataDDMMAAAA(agora) + " " + HoraTexto(agora) + " | " +
                           logProduto + " | " + logImpressora + " | " + logComanda + " | " +
                           std::to_string(idDebug));
    // The comanda goes into the statement bare, so it must be a number.
    if (!EhNumeroSql(logComanda))
        throw Erro("Número de comanda inválido no registro de impressão: " + logComanda);
    ctx.banco.AbreBanco2("Insert into LogImp (Produto, Impressora, Comanda, debug) values ('" +
                         ctx.banco.Escapa(logProduto) + "','" + ctx.banco.Escapa(logImpressora) + "'," +
                         logComanda + "," + std::to_string(idDebug) + ")");
    ctx.banco.FechaBanco2();
}

}  // namespace varelo
