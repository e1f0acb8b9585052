#pragma once
#include <cstdint>

namespace varelo {

struct Contexto;

// Run after every scan while AutoRecebFinal is above 0: finds a comanda
// whose items have all gone to the kitchen and receives it.
void VerificaRecebComanda(Contexto& ctx);

// Receives comanda `numComanda`: copies its items and its header into the
// history tables, records a cash payment of the item total, deletes the open
// rows, writes a Logs row and frees the comanda card. All of it is one
// transaction: on any failure nothing of it stays and the comanda stays open.
// A comanda without items is not received.
void AutoRecebComanda(Contexto& ctx, std::int32_t numComanda);

}  // namespace varelo
