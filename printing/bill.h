#pragma once
#include <cstdint>
#include <string>

#include "core/context.h"

namespace varelo {

// Prints the bill of `comanda` on the bill printer (the ImpCupom setting;
// "Não Imprimir" prints nothing and leaves the database alone).
//
// `caminho` is the FECHACONTA request file a handheld dropped, or empty when
// a tablet asked through the database; the first line of that file names who
// asked for the bill, otherwise the comanda's own waiter is shown.
//
// The bill lists the header, one line per run of consecutive items of one
// product at one price, subtotal, cover, service, discount, payments made,
// the amount still due and the value per person, then the fixed footer.
// It is composed whole; then the comanda is marked as closing (Status 1),
// with `marcaExtra` (a statement, when the caller has a closing mark of its
// own), in one transaction that commits only once the printer took the bill.
// A request file is removed right after, so that a bill is never asked
// twice by one file.
// A run-time failure is logged ("Erro fechamento conta: ...") and ends the
// bill with nothing printed. A database failure is not caught.
ResultadoConta FechaConta(Contexto& ctx, std::int32_t comanda, const std::string& caminho,
                          const std::string& marcaExtra = "");

}  // namespace varelo
