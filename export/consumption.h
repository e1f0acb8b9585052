#pragma once
#include <string>

namespace varelo {

struct Contexto;

// Writes the consumption statement "ConsumoComanda<n>.txt" of one comanda,
// or of every open comanda when the numeric value of `comanda` is 0 or
// less ("0", "", a text that does not begin with a number), into
// `PastaDest` (no trailing separator): one line per item, or per run of
// rows of one product when chkResumoContaPalm groups them, then the totals,
// 27 columns wide.
//
// A run-time failure is named in the event list and the export goes on
// with the next step; a database failure is not handled here.
void ExportaConsumos(Contexto& ctx, const std::string& PastaDest, const std::string& comanda);

}  // namespace varelo
