#pragma once
#include <string>
#include <string_view>

namespace varelo {

// The one quoting helper: a text made safe to stand between apostrophes in a
// MySQL statement. Ordinary text comes back unchanged.
std::string EscapaSql(std::string_view texto);

// A plain number to place bare into a statement: an optional sign, digits,
// optionally "." and digits; nothing else.
bool EhNumeroSql(std::string_view texto);
// A whole number: an optional sign and digits.
bool EhInteiroSql(std::string_view texto);

}  // namespace varelo
