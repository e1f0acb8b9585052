#pragma once
#include <cstdint>

namespace varelo {

struct Contexto;

// Prints the unprinted items of delivery order `pedido` on the delivery
// printer of each product group: per printer a ticket with the customer's
// block, the attendant line (first ticket only), one block per item and the
// date line with the blank feed lines. Every item handled is marked printed,
// also those of groups that are not printed. A failure other than the
// database's is logged and ends the call; a database failure is not caught.
void ImprimeDelivery(Contexto& ctx, std::int32_t pedido);

}  // namespace varelo
