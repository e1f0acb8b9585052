#pragma once
#include <cstdint>

namespace varelo {

struct Contexto;

// Prints the unprinted items of delivery order `pedido` on the delivery
// printer of each product group: per printer a ticket with the customer's
// block, the attendant line (first ticket only), one block per item and the
// date line with the blank feed lines. Each ticket is composed whole, and
// its items are marked printed in one transaction that commits only once
// the printer took it; the items of groups that are not printed are marked
// as they are met. A failure other than the database's is logged and ends
// the call, dropping the ticket being composed; a database failure is not
// caught. False when a printer refused a ticket (its items wait).
bool ImprimeDelivery(Contexto& ctx, std::int32_t pedido);

}  // namespace varelo
