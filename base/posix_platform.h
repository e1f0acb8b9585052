#pragma once
#include <chrono>
#include <string>
#include <vector>

#include "base/descriptor.h"
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

// The files closed after writing in one folder, or moved into it
// (inotify), so that a request is seen as soon as it is complete. Where the
// folder cannot be watched (a share that sends no events, no inotify) it
// gives nothing, and the monitor's tick still finds the files.
class ObservadorPasta {
public:
    explicit ObservadorPasta(const std::string& pasta);
    // The descriptor that becomes readable when events came; -1 when the
    // folder is not watched.
    int descritor() const { return fd_.get(); }
    // The names of the files the events since the last call named, without
    // waiting; an empty name when events were lost (too many at once).
    std::vector<std::string> novos();

private:
    Descritor fd_;
};

}  // namespace varelo
