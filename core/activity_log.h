#pragma once
#include <cstdint>
#include <string>

namespace varelo {

struct Contexto;

class Relogio;

// Waits the whole number of milliseconds in `segundos` (rounded down).
void Espera(Relogio& relogio, float segundos);

// One row of Logs: the text, its kind and who caused it.
void GravaLog(Contexto& ctx, const std::string& TextoLog, const std::string& TipoLog,
              const std::string& UsuarioLog);

// One line of lstImp and one row of LogImp for a printed kitchen item.
// `logComanda` must be a number written as text.
void LogImp(Contexto& ctx, const std::string& logImpressora, const std::string& logProduto,
            const std::string& logComanda, std::int16_t idDebug);

}  // namespace varelo
