#pragma once
#include <cstdint>
#include <string>

namespace varelo {

struct Contexto;

// The name shown on a comanda's tickets: its Obs, trimmed, followed by "/"
// and the customer's name when a customer is linked to the comanda number
// (Clientes.Veiculos or idCond). Empty when the comanda is not found or the
// lookup fails; a database failure is not caught.
std::string ConsultaNomeComanda(Contexto& ctx, std::int32_t comanda);

// Prints the kitchen tickets of the unprinted items of table `mesa`: one
// ticket per comanda and printer, on the printer of each item's product
// group and a copy on its second printer. Items of groups not printed are
// only marked, items of the label group start their comanda's labels.
// Every item is marked printed with its printer; a ticket that the printing
// system does not accept puts its items back to unprinted, so that they are
// printed again later. Then the consumption statement is exported and the
// print request being handled is removed. Failures other than the
// database's are logged and end the call.
void ImprimeCupom(Contexto& ctx, std::int32_t mesa);

}  // namespace varelo
