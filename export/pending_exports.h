#pragma once
#include <functional>
#include <string>

namespace varelo {

struct Contexto;

// Exports that a database failure cut short are kept, whole, and run again
// at the monitor's next tick, so that no file for the handhelds stays behind
// the database after a failure. The file itself is never torn: it is
// replaced only once complete.

// Runs `exporta` under `chave` (the file or group of files and the folder).
// When a database failure cuts it short it stays pending, and the failure
// goes on up; a file that could not be written is named in the event list
// and leaves it pending too.
void Retomavel(Contexto& ctx, const std::string& chave, const std::function<void()>& exporta);

// Runs the pending exports, oldest first, each forgotten once it ends. A
// lost connection stops here and leaves the rest pending; a rejected
// statement leaves that export pending and goes on with the next, and an
// export the server rejected three times is given up, with a line in the
// event list.
void RetomaExportacoes(Contexto& ctx);

}  // namespace varelo
