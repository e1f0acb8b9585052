#pragma once
// The stand-ins for the program's services that the tests use: each one
// does what the real service does, or what a test asks of it, and remembers
// what it was asked.
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/files.h"
#include "base/platform.h"

namespace varelo {

// The real disk, with failures a test can ask for: the next `falhasApaga`
// deletions fail as a file held by another machine would. `disco` is the
// same disk without them.
class ArquivosTeste final : public ArquivosDisco {
public:
    void apaga(const std::string& c) override;
    int falhasApaga = 0;
    ArquivosDisco disco;
};

// Message boxes that only remember what they were asked to show.
class MensagensGravadas final : public Mensagens {
public:
    void informa(const std::string& titulo, const std::string& texto) override {
        caixas.emplace_back(titulo, texto);
    }
    std::vector<std::pair<std::string, std::string>> caixas;
};

// The monitor timer as a switch.
class TimerFalso final : public ControleTimer {
public:
    void liga() override { ligado_ = true; }
    void desliga() override { ligado_ = false; }
    bool ligado() const override { return ligado_; }

private:
    bool ligado_ = false;
};

// The machine's running programs, as the test lists them.
class ProcessosFalsos final : public ListaProcessos {
public:
    std::vector<std::string> nomes() override { return lista; }
    std::vector<std::string> lista;
};

// Records each command line, and hands it on to `real` when there is one.
// Without it commands are found in /usr/local/bin, and run as the test's
// own user.
class ExecutorGravado final : public Executor {
public:
    bool executaEEspera(const std::string& linha) override {
        linhas.push_back(linha);
        return real ? real->executaEEspera(linha) : true;
    }
    unsigned usuario() const override { return real ? real->usuario() : static_cast<unsigned>(::geteuid()); }
    std::string localiza(const std::string& comando, const std::string& excluida) override {
        return real ? real->localiza(comando, excluida) : "/usr/local/bin/" + comando;
    }
    std::vector<std::string> linhas;
    Executor* real = nullptr;
};

// Work scheduled for later runs only when the test says so.
class AgendadorManual final : public Agendador {
public:
    void depois(std::chrono::milliseconds espera, std::function<void()> trabalho) override {
        pendentes.emplace_back(espera, std::move(trabalho));
    }
    // Runs what is pending now (work it schedules waits for the next call).
    void executa() {
        auto agora = std::move(pendentes);
        pendentes.clear();
        for (auto& [espera, trabalho] : agora) trabalho();
    }
    std::vector<std::pair<std::chrono::milliseconds, std::function<void()>>> pendentes;
};

}  // namespace varelo
