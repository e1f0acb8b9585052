#pragma once
#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace varelo {

// The whole content of a file, empty when it cannot be read.
std::string Le(const std::filesystem::path& caminho);

// Polls until the condition holds or the time is up: the program works on
// its own clock, the test can only watch.
bool Aguarda(const std::function<bool()>& condicao,
             std::chrono::milliseconds limite = std::chrono::seconds(30));

// The ".txt" files of a folder, sorted by path.
std::vector<std::filesystem::path> Documentos(const std::filesystem::path& pasta);

// How many times `trecho` occurs in `texto` (overlaps counted).
std::size_t Conta(const std::string& texto, const std::string& trecho);

// One run of the program named by VARELO_BINARY as a child process, with its
// standard output and error in `pasta`/`nome`.out and .err. The destructor
// kills a run that is still going.
class Execucao {
public:
    Execucao(const std::vector<std::string>& argumentos, const std::string& pasta,
             const std::string& nome);
    ~Execucao() { Mata(); }
    Execucao(const Execucao&) = delete;
    Execucao& operator=(const Execucao&) = delete;

    // The exit status (128 + signal for a signalled end), or -1 when it still
    // runs after the limit.
    int Termina(std::chrono::seconds limite = std::chrono::seconds(60));
    // SIGTERM, then waits for the end.
    void Para() { Encerra(SIGTERM); }
    // SIGKILL, as a crash or a power cut would end it; waits for the end.
    void Mata() { Encerra(SIGKILL); }
    // True while the process has not ended.
    bool Rodando();
    std::string Saida() const { return Le(saida_); }
    std::string Erros() const { return Le(erros_); }

private:
    void Encerra(int sinal);

    std::string saida_, erros_;
    pid_t pid_ = 0;
    int estado_ = 0;
};

}  // namespace varelo
