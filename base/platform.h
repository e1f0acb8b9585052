#pragma once
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace varelo {

// Small platform services that the core reaches only through these
// interfaces, so the window, the headless runner and the tests each supply
// their own.

// Message boxes. The window shows a modal box; the headless runner writes the
// text to standard error and goes on as if it had been closed.
class Mensagens {
public:
    virtual ~Mensagens() = default;
    virtual void informa(const std::string& titulo, const std::string& texto) = 0;
};

// The monitor timer Timer1: the scan switches it off while it works, every
// file deletion switches it on again.
class ControleTimer {
public:
    virtual ~ControleTimer() = default;
    virtual void liga() = 0;
    virtual void desliga() = 0;
    virtual bool ligado() const = 0;
};

// The executable names of the machine's running processes. Throws Erro when
// the list cannot be taken.
class ListaProcessos {
public:
    virtual ~ListaProcessos() = default;
    virtual std::vector<std::string> nomes() = 0;
};

// Starts a command line and waits for its end. False when it could not start.
class Executor {
public:
    virtual ~Executor() = default;
    virtual bool executaEEspera(const std::string& linhaComando) = 0;
    // The user the commands run as: only a script that this user or root
    // owns may be run.
    virtual unsigned usuario() const = 0;
    // The full path of a command in the absolute folders of the program's
    // own PATH, never in `pastaExcluida` (a shared folder where anyone may
    // drop a file); empty when there is none.
    virtual std::string localiza(const std::string& comando, const std::string& pastaExcluida) = 0;
};

}  // namespace varelo

namespace varelo {

// Runs a piece of work later on the window's thread, without blocking it:
// the ten-second pause after a database failure and the retries of loading.
class Agendador {
public:
    virtual ~Agendador() = default;
    virtual void depois(std::chrono::milliseconds espera, std::function<void()> trabalho) = 0;
};

}  // namespace varelo
