#include "checks/schedule.h"

#include "base/regional.h"
#include "core/context.h"
#include "db/banco.h"

namespace varelo {

std::string NomeDiaSemana(const DataHora& quando) {
    static const char* const kNomes[7] = {"Domingo", "Segunda", "Terça", "Quarta",
                                          "Quinta",  "Sexta",   "Sabado"};
    const int d = ((quando.diaSemana % 7) + 7) % 7;  // 0 = Sunday
    return kNomes[d];
}

std::string NomeDiaSemana(Contexto& ctx) { return NomeDiaSemana(ctx.relogio.agora()); }

bool DentroDoHorario(Contexto& ctx) {
    // One reading of the clock for the time and the weekday, so that a
    // check made at midnight does not mix two days.
    const DataHora agora = ctx.relogio.agora();
    const std::string hora = HoraTexto(agora);
    Banco& b = ctx.banco;
    b.AbreBanco2("Select * from Horarios where horainicial <= '2012/01/01 " + hora +
                 "' and horafinal >= '2012/01/01 " + hora +
                 "' and ativo=true and diaSemana = '" + NomeDiaSemana(agora) + "'");
    const bool dentro = !b.rs2().eof();
    b.FechaBanco2();
    return dentro;
}

}  // namespace varelo
