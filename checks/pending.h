#pragma once

namespace varelo {

struct Contexto;

// Run after every scan while AutoImpressao is on: prints, by itself, the
// kitchen ticket of the table of one item that has waited more than five
// minutes (by the database server's clock) without being printed.
void VerificaPendentes(Contexto& ctx);

}  // namespace varelo
