#pragma once
#include <optional>
#include <string>

#include "base/money.h"

namespace varelo {

struct Contexto;
class Registros;

// The money rules that the consumption statements and the bill share.

// The description shown for an item whose product has no row.
inline constexpr const char* kProdutoNaoEncontrado = "Produto não encontrado";

// A column of the current row as money; nothing for a null.
std::optional<Dinheiro> DinheiroDaColuna(const Registros& rs, const std::string& coluna);

// The service percentage and the cover charge per person: the Servico and
// Couvert settings of the per-user store (application Varelo, section
// Config), 0 when missing. A value that is no number is named in the event
// list and counts as 0.
struct TaxasConfiguradas {
    Dinheiro servicoPercentual;
    Dinheiro couvertPorPessoa;
};
TaxasConfiguradas LeTaxasConfiguradas(Contexto& ctx);

// percentual × base ÷ 100, computed in doubles and turned into money.
Dinheiro CalculaServico(Dinheiro percentual, Dinheiro base);

// What a Comanda row decides about the charges of its account.
struct Acrescimos {
    Dinheiro couvert;
    Dinheiro servico;
    Dinheiro desconto;
};
// From the current row of `comanda` (a Select * from Comanda):
// - cover = Ocupantes × couvertPorPessoa, or couvertPorPessoa alone when
//   Ocupantes is null; the row's own Couvert instead when it is not null
//   and ≥ 0;
// - discount = the row's Desconto when not null and ≥ 0, else 0;
// - service = servicoCalculado; the row's own Servico instead when it is
//   not null and ≥ 0.
// A stored 0 therefore removes a computed cover or service charge; the
// order system stores -1 for "not set".
Acrescimos AcrescimosDaComanda(const Registros& comanda, Dinheiro couvertPorPessoa,
                               Dinheiro servicoCalculado);

// The payments already made on a comanda: run SqlTotalPago(n) into a
// result set of the caller's choice, then read it with LeTotalPago (0 when
// there is no row or the sum is null).
std::string SqlTotalPago(const std::string& comanda);
Dinheiro LeTotalPago(const Registros& rs);

// subtotal + cover + service − discount − paid.
Dinheiro TotalAPagar(Dinheiro subtotal, const Acrescimos& a, Dinheiro pago);

}  // namespace varelo
