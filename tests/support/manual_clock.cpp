#include "tests/support/manual_clock.h"

namespace varelo {

namespace chr = std::chrono;

RelogioManual::RelogioManual() : RelogioManual(DataHora{2024, 1, 15, 12, 0, 0, 1}) {}

RelogioManual::RelogioManual(const DataHora& inicio) { define(inicio); }

void RelogioManual::define(const DataHora& q) {
    const chr::sys_days dia{chr::year{q.ano} / q.mes / q.dia};
    ms_ = chr::duration_cast<chr::milliseconds>(dia.time_since_epoch()).count() +
          ((q.hora * 60LL + q.minuto) * 60 + q.segundo) * 1000;
}

DataHora RelogioManual::agora() const {
    const chr::sys_time<chr::milliseconds> t{chr::milliseconds(ms_)};
    const auto dia = chr::floor<chr::days>(t);
    const chr::year_month_day ymd{dia};
    const chr::hh_mm_ss hora{chr::floor<chr::seconds>(t - dia)};
    return DataHora{int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day())), int(hora.hours().count()),
                    int(hora.minutes().count()), int(hora.seconds().count()),
                    int(chr::weekday{dia}.c_encoding())};
}

void RelogioManual::avanca(chr::milliseconds duracao) { ms_ += duracao.count(); }

void RelogioManual::espera(chr::milliseconds duracao) {
    esperas_.push_back(duracao);
    avanca(duracao);
    if (aoEsperar_) aoEsperar_(esperas_.size());
}

}  // namespace varelo
