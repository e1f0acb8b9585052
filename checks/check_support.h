#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/money.h"

namespace varelo {

struct Contexto;
class Registros;
class Banco;

namespace verificacoes {

// What a failed step of the tablet or overdue-item check logs (see Passo in
// base/step.h); the check goes on with its next step.
extern const std::string kFalhaNoPasso;

// The line that closes a check that found work.
extern const std::string kSeparador;

// Column values as the server sends them: numbers with a decimal point
// ("10.5000"), date-times as "2024-03-05 09:05:07".

// The column as a 32-bit integer; a null or a text that is not a number
// throws Erro.
std::int32_t Inteiro32(const Registros& r, const std::string& nome);
// A date-time of the server as "yyyy/mm/dd hh:MM:ss"; throws Erro when the
// text is not a date-time.
std::string TextoDataHora(const std::string& doBanco);

// Values for an INSERT, each written as Null when the column holds a null.
std::string SqlInteiro(const std::optional<std::string>& v);   // bare whole number
std::string SqlDinheiro(const std::optional<std::string>& v);  // money text
std::string SqlTexto(Banco& b, const std::optional<std::string>& v);  // between apostrophes
std::string SqlDataHora(const std::optional<std::string>& v);  // 'yyyy/mm/dd hh:MM:ss'

}  // namespace verificacoes
}  // namespace varelo
