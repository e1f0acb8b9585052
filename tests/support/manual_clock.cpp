#include "tests/support/manual_clock.h"

namespace varelo {

namespace {

constexpr long long kMsPorDia = 86400LL * 1000;

// Days since 1970-01-01 of a proleptic Gregorian date.
long long DiasDesdeEpoca(int ano, int mes, int dia) {
    ano -= mes <= 2;
    const long long era = (ano >= 0 ? ano : ano - 399) / 400;
    const long long anoDaEra = ano - era * 400;
    const long long diaDoAno = (153LL * (mes + (mes > 2 ? -3 : 9)) + 2) / 5 + dia - 1;
    const long long diaDaEra = anoDaEra * 365 + anoDaEra / 4 - anoDaEra / 100 + diaDoAno;
    return era * 146097 + diaDaEra - 719468;
}

void DataDosDias(long long z, int& ano, int& mes, int& dia) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long diaDaEra = z - era * 146097;
    const long long anoDaEra = (diaDaEra - diaDaEra / 1460 + diaDaEra / 36524 - diaDaEra / 146096) / 365;
    const long long diaDoAno = diaDaEra - (365 * anoDaEra + anoDaEra / 4 - anoDaEra / 100);
    const long long mp = (5 * diaDoAno + 2) / 153;
    dia = static_cast<int>(diaDoAno - (153 * mp + 2) / 5 + 1);
    mes = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    ano = static_cast<int>(anoDaEra + era * 400 + (mes <= 2));
}

long long PisoDiv(long long a, long long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

RelogioManual::RelogioManual() : RelogioManual(DataHora{2024, 1, 15, 12, 0, 0, 1}) {}

RelogioManual::RelogioManual(const DataHora& inicio) { define(inicio); }

void RelogioManual::define(const DataHora& q) {
    ms_ = DiasDesdeEpoca(q.ano, q.mes, q.dia) * kMsPorDia +
          ((q.hora * 60LL + q.minuto) * 60 + q.segundo) * 1000;
}

DataHora RelogioManual::agora() const {
    const long long dias = PisoDiv(ms_, kMsPorDia);
    const long long segundos = (ms_ - dias * kMsPorDia) / 1000;
    DataHora d;
    DataDosDias(dias, d.ano, d.mes, d.dia);
    d.hora = static_cast<int>(segundos / 3600);
    d.minuto = static_cast<int>(segundos / 60 % 60);
    d.segundo = static_cast<int>(segundos % 60);
    d.diaSemana = static_cast<int>(((dias % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday
    return d;
}

void RelogioManual::avanca(std::chrono::milliseconds duracao) { ms_ += duracao.count(); }

void RelogioManual::espera(std::chrono::milliseconds duracao) {
    esperas_.push_back(duracao);
    avanca(duracao);
    if (aoEsperar_) aoEsperar_(esperas_.size());
}

std::chrono::milliseconds RelogioManual::totalEsperado() const {
    std::chrono::milliseconds total{0};
    for (auto e : esperas_) total += e;
    return total;
}

}  // namespace varelo
