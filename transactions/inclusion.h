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
// the reply and the deletion: a request that fails leaves nothing behind.
// The item's key goes into the inclusions journal (inclusoes.diario in the
// program's folder) just before the commit, so a request handled again
// after a crash, a database failure or a deletion that failed is answered
// without a second item. A database failure is not handled here; the
// request file then stays.
void InclueItem(Contexto& ctx, const std::string& ArqInc);

// Forgets the journal entry of a committed inclusion once its request file
// is gone, however it went (the scan retries a deletion that failed here),
// so that a later request of the same name and line is applied again.
void EsqueceInclusaoApagada(Contexto& ctx, const std::string& ArqInc);

// At start-up: forgets the journal entries whose request file is gone or
// was written again since.
void ReconciliaInclusoes(Contexto& ctx);

}  // namespace varelo
