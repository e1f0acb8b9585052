#pragma once
#include <string>

namespace varelo {

class Arquivos;
class Relogio;

// The event list kept on disk: every line is appended, with its date and
// time, to logs/varelosync-yyyy-mm-dd.log of the program's folder as it is
// added, so that nothing is lost when the on-screen list empties at its bound
// or the program stops. Files older than 30 days are removed when a new day's
// file begins. A failing write is reported once on standard error and never
// stops the program.
class RegistroDiario {
public:
    RegistroDiario(Arquivos& arquivos, Relogio& relogio, std::string pasta);
    void acrescenta(const std::string& linha);

    static constexpr int kDiasGuardados = 30;

private:
    void comecaDia(const std::string& data);

    Arquivos& arquivos_;
    Relogio& relogio_;
    std::string pasta_;
    std::string dia_;
    bool falhou_ = false;
};

}  // namespace varelo
