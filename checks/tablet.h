#pragma once
#include <string>

namespace varelo {

struct Contexto;

// Run after every scan. Follows the opening periods (the product catalog is
// exported again on entering and on leaving one) and serves one request that
// a tablet left in Comanda.Status: 2 prints the table's pending kitchen
// items, 3 prints the bill. `pasta` is the monitored folder.
void VerificaTablet(Contexto& ctx, const std::string& pasta);

}  // namespace varelo
