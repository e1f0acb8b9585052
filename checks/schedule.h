#pragma once
#include <string>

#include "base/clock.h"

namespace varelo {

struct Contexto;

// The weekday name of a date as the Horarios table spells it: "Domingo",
// "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sabado".
std::string NomeDiaSemana(const DataHora& quando);
// Today's weekday name.
std::string NomeDiaSemana(Contexto& ctx);

// True when the current time lies inside an active opening period of today's
// weekday (both ends included).
bool DentroDoHorario(Contexto& ctx);

}  // namespace varelo
