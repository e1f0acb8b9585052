#pragma once
#include <chrono>
#include <cstdint>

namespace varelo {

// A local calendar date and wall-clock time, as the restaurant's PC shows it.
struct DataHora {
    int ano = 1970, mes = 1, dia = 1;
    int hora = 0, minuto = 0, segundo = 0;
    int diaSemana = 4;  // 0 = Sunday ... 6 = Saturday
};

// The one clock of the program: the current local time and every wait.
// Tests pass a manual clock so that waits cost nothing.
class Relogio {
public:
    virtual ~Relogio() = default;
    virtual DataHora agora() const = 0;
    // Time on a steady count that never goes back (a change of the wall
    // clock does not move it): to tell how long something has lasted.
    virtual std::chrono::milliseconds decorrido() const = 0;
    virtual void espera(std::chrono::milliseconds duracao) = 0;
};

class RelogioSistema final : public Relogio {
public:
    DataHora agora() const override;
    std::chrono::milliseconds decorrido() const override;
    void espera(std::chrono::milliseconds duracao) override;
};

}  // namespace varelo
