#pragma once
#include <cstdint>
#include <string>

#include "base/clock.h"
#include "base/money.h"

namespace varelo {

// Numbers and dates as text in the Brazilian regional format of the
// restaurant's machines: decimal comma, "." digit grouping, dates
// dd/mm/yyyy and a 24-hour HH:mm:ss time.
//
// Every conversion that fails throws Erro: "Tipo incompatível" for a text
// that is not a number, "Estouro" for a number out of the target's range.

// ---- Text to number -------------------------------------------------------

// The whole text as a number in the regional format: spaces and tabs around
// it are ignored; an optional leading "+" or "-"; digits in which "." groups
// thousands (accepted anywhere after the first digit of the whole part, so
// "12.50" reads as 1250); an optional "," and decimals; an optional exponent
// ("E" or "D", a sign and digits). Anything else, or no digit at all (the
// empty text too), is "Tipo incompatível".
// LeDinheiro rounds to four decimals, halves to even.
Dinheiro LeDinheiro(const std::string& texto);
double LeNumero(const std::string& texto);
// The whole text read as above, rounded to a whole number with halves to
// even ("2,5" -> 2, "3,5" -> 4); outside the 32-bit range is "Estouro".
std::int32_t ParaInteiro32(const std::string& texto);

// The leading number of a text with a point as decimal separator: blanks
// (spaces, tabs, line breaks) are skipped wherever they stand, then an
// optional sign, digits, one ".", decimals and an optional exponent; the
// reading stops at the first character that cannot continue the number.
// A text that does not begin with a number gives 0 ("3 pratos" -> 3,
// "2.5" -> 2.5, "1 2" -> 12, "abc" -> 0, "1,5" -> 1).
double ValorInicial(const std::string& texto);
// ValorInicial rounded to a whole number, halves to even; outside
// -32768..32767 is "Estouro". Never "Tipo incompatível": no number is 0.
std::int16_t ParaInteiro16(const std::string& texto);

// Rounded to a whole number, halves to even; out of range is "Estouro".
std::int16_t ParaInteiro16(double valor);
std::int32_t ParaInteiro32(double valor);

// ---- Number to text -------------------------------------------------------

// A numeric pattern: text before and after the digits is copied ("R$ "),
// "0" is a digit always shown, "#" a digit shown only when significant, "."
// the decimal point and "," (among the whole-part digits) thousands
// grouping, written with the regional symbols: 1234.5 with "###,##0.00"
// reads "1.234,50"; 1 with "00" reads "01".
// The value is rounded to the pattern's decimals, halves away from zero;
// a negative value that does not round to zero gets a "-" before everything.
// A double is taken by its first 15 significant digits, so 1.005 with
// "0.00" reads "1,01".
std::string Formata(Dinheiro valor, const std::string& padrao);
std::string Formata(double valor, const std::string& padrao);

// The default conversion of a number to text: no grouping, no trailing
// zeros, decimal comma (1,5 / 2 / 12,5 / 0,25 / -3,1). Money shows up to its
// four decimals; a double up to 15 significant digits, in exponent form
// ("1E+15", "1,5E-07") when its exponent is 15 or more, or below -4.
std::string TextoPadrao(Dinheiro valor);
std::string TextoPadrao(double valor);

// ---- Dates and times ------------------------------------------------------

std::string DataAAAAMMDD(const DataHora& d);      // 2024/03/05
std::string DataDDMMAAAA(const DataHora& d);      // 05/03/2024
std::string HoraTexto(const DataHora& d);         // 09:05:07
std::string DataHoraAAAAMMDD(const DataHora& d);  // 2024/03/05 09:05:07

}  // namespace varelo
