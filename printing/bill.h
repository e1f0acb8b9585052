#pragma once
#include <cstdint>
#include <string>

namespace varelo {

struct Contexto;

// Prints the bill of `comanda` on the bill printer (the ImpCupom setting;
// "Não Imprimir" prints nothing and leaves the database alone) and marks
// the comanda as closing (Status 1) before the first line goes out.
//
// `caminho` is the FECHACONTA request file a handheld dropped, or empty when
// a tablet asked through the database; the first line of that file names who
// asked for the bill, otherwise the comanda's own waiter is shown.
//
// The bill lists the header, one line per run of consecutive items of one
// product at one price, subtotal, cover, service, discount, payments made,
// the amount still due and the value per person, then the fixed footer.
// A run-time failure is logged ("Erro fechamento conta: ...") and ends the
// bill; the comanda stays marked. A database failure is not caught.
void FechaConta(Contexto& ctx, std::int32_t comanda, const std::string& caminho);

}  // namespace varelo
