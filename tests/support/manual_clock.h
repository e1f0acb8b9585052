#pragma once
#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

#include "base/clock.h"

namespace varelo {

// A clock for tests: the time is whatever the test sets, and a wait costs
// nothing. Each wait is recorded and moves the time forward by its length.
class RelogioManual final : public Relogio {
public:
    // Monday 2024-01-15 12:00:00 unless told otherwise.
    RelogioManual();
    explicit RelogioManual(const DataHora& inicio);

    DataHora agora() const override;
    std::chrono::milliseconds decorrido() const override { return std::chrono::milliseconds(ms_); }
    void espera(std::chrono::milliseconds duracao) override;

    // Sets the time; diaSemana is recomputed from the date.
    void define(const DataHora& quando);
    void avanca(std::chrono::milliseconds duracao);

    const std::vector<std::chrono::milliseconds>& esperas() const { return esperas_; }

    // Runs after every wait with the number of waits so far (1 after the
    // first), so a test can change the world while the code under test waits.
    void aoEsperar(std::function<void(std::size_t)> acao) { aoEsperar_ = std::move(acao); }

private:
    long long ms_ = 0;  // local time in milliseconds since 1970-01-01 00:00
    std::vector<std::chrono::milliseconds> esperas_;
    std::function<void(std::size_t)> aoEsperar_;
};

}  // namespace varelo
