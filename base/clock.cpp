#include "base/clock.h"

#include <ctime>
#include <thread>

namespace varelo {

DataHora RelogioSistema::agora() const {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return DataHora{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                    tm.tm_hour,        tm.tm_min,     tm.tm_sec, tm.tm_wday};
}

std::chrono::milliseconds RelogioSistema::decorrido() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

void RelogioSistema::espera(std::chrono::milliseconds duracao) {
    if (duracao.count() > 0) std::this_thread::sleep_for(duracao);
}

}  // namespace varelo
