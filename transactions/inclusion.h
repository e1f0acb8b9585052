#pragma once
#include <string>

namespace varelo {

struct Contexto;

// Applies one INCLUSAO request: launches one product in one quantity on one
// comanda of one table, opening the comanda when it is new, and answers the
// handheld (okComanda<comanda>.txt or erro<ComandaAtual>.txt) after deleting
// the request file.
//
// Everything the request writes (the item, the new comanda, the order
// number, the table and the Logs row) is one transaction, committed before
// the reply and the deletion: a request that fails leaves nothing behind,
// and one handled again after a database failure inserts its item once.
// A database failure is not handled here; the request file then stays.
void InclueItem(Contexto& ctx, const std::string& ArqInc);

// Forgets the note of a committed inclusion once its request file is gone,
// however it went (the scan retries a deletion that failed here), so that a
// later request of the same name and line is applied again.
void EsqueceInclusaoApagada(Contexto& ctx, const std::string& ArqInc);

}  // namespace varelo
