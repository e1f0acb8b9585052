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
// Each ticket is composed whole, then its items are marked printed with
// their printer in one transaction that commits only once the printer took
// the ticket; a ticket refused is rolled back and its items wait. Then the
// consumption statement is exported and the print request being handled is
// removed, unless a ticket was refused (the request is then left for the
// next scan). Failures other than the database's are logged and end the
// call. False when a printer refused a ticket.
bool ImprimeCupom(Contexto& ctx, std::int32_t mesa);

}  // namespace varelo
