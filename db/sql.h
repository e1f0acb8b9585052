#pragma once
#include <string>
#include <string_view>

#include "base/money.h"

namespace varelo {

// The one quoting helper: a text made safe to stand between apostrophes in a
// MySQL statement, stored exactly as given. An apostrophe is doubled, which
// every sql_mode reads the same; a backslash is doubled only where the
// server reads it as an escape, that is unless the session has
// NO_BACKSLASH_ESCAPES. Line breaks and other characters go in as they are.
// Ordinary text comes back unchanged. Banco::Escapa knows the session's mode.
std::string EscapaSql(std::string_view texto, bool semBarraInvertida);

// A plain number to place bare into a statement: an optional sign, digits,
// optionally "." and digits; nothing else.
bool EhNumeroSql(std::string_view texto);
// A whole number: an optional sign and digits.
bool EhInteiroSql(std::string_view texto);

// The one reader of money from the server: a decimal value as it sends it
// ("12.5000", "-1", "3", "2.5E+3"), rounded to four decimals. Throws Erro
// "Tipo incompatível" for a text that is no such number.
Dinheiro DinheiroDoBanco(const std::string& texto);
// Money as statement text: the regional default text with a decimal point
// (12,5 -> 12.5; 24 -> 24).
std::string TextoDinheiroSql(Dinheiro valor);

}  // namespace varelo
