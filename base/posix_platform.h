#pragma once
#include <chrono>
#include <string>
#include <vector>

#include "base/platform.h"

namespace varelo {

class ListaEventos;
class Relogio;

// The running processes from /proc: for each one the file name of its
// executable, or its command name when the executable cannot be read (a
// process of another user).
class ProcessosProc final : public ListaProcessos {
public:
    explicit ProcessosProc(std::string raiz = "/proc") : raiz_(std::move(raiz)) {}
    std::vector<std::string> nomes() override;

private:
    std::string raiz_;
};

// Runs a command line through /bin/sh in a process group of its own and
// waits for it, at most `limite`: a command that hangs (a network share that
// does not answer) would otherwise freeze the program during service. Past
// the limit the whole group is killed, one line says so in the event list
// and the caller goes on as after a finished run. The command sees only the
// absolute folders of PATH, so nothing is taken from whatever folder the
// program happens to run in.
class ExecutorPosix final : public Executor {
public:
    ExecutorPosix(ListaEventos& eventos, Relogio& relogio,
                  std::chrono::milliseconds limite = std::chrono::seconds(30));
    bool executaEEspera(const std::string& linhaComando) override;
    unsigned usuario() const override;
    std::string localiza(const std::string& comando, const std::string& pastaExcluida) override;

private:
    ListaEventos& eventos_;
    Relogio& relogio_;
    std::chrono::milliseconds limite_;
};

}  // namespace varelo
