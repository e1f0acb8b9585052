#include "tests/support/program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace varelo {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string Le(const fs::path& caminho) {
    std::ifstream f(caminho, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

bool Aguarda(const std::function<bool()>& condicao, std::chrono::milliseconds limite) {
    const auto fim = std::chrono::steady_clock::now() + limite;
    while (std::chrono::steady_clock::now() < fim) {
        if (condicao()) return true;
        std::this_thread::sleep_for(50ms);
    }
    return condicao();
}

std::vector<fs::path> Documentos(const fs::path& pasta) {
    std::vector<fs::path> docs;
    for (const auto& e : fs::directory_iterator(pasta))
        if (e.path().extension() == ".txt" && e.path().filename() != "fonts.txt") docs.push_back(e.path());
    std::sort(docs.begin(), docs.end());
    return docs;
}

std::size_t Conta(const std::string& texto, const std::string& trecho) {
    std::size_t n = 0;
    for (auto p = texto.find(trecho); p != std::string::npos; p = texto.find(trecho, p + 1)) ++n;
    return n;
}

Execucao::Execucao(const std::vector<std::string>& argumentos, const std::string& pasta,
                   const std::string& nome)
    : saida_(pasta + "/" + nome + ".out"), erros_(pasta + "/" + nome + ".err") {
    const char* binario = std::getenv("VARELO_BINARY");
    if (!binario) throw std::runtime_error("VARELO_BINARY is not set; run through ctest");
    std::vector<std::string> args{binario};
    args.insert(args.end(), argumentos.begin(), argumentos.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t acoes;
    posix_spawn_file_actions_init(&acoes);
    posix_spawn_file_actions_addopen(&acoes, 1, saida_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&acoes, 2, erros_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int falha = posix_spawn(&pid_, binario, &acoes, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&acoes);
    if (falha != 0) {
        pid_ = 0;
        throw std::runtime_error("cannot start " + std::string(binario));
    }
}

bool Execucao::Rodando() {
    if (pid_ <= 0) return false;
    if (waitpid(pid_, &estado_, WNOHANG) != pid_) return true;
    pid_ = 0;
    return false;
}

int Execucao::Termina(std::chrono::seconds limite) {
    if (Aguarda([&] { return !Rodando(); }, limite) == false) return -1;
    return WIFEXITED(estado_) ? WEXITSTATUS(estado_) : 128 + WTERMSIG(estado_);
}

void Execucao::Encerra(int sinal) {
    if (pid_ > 0) kill(pid_, sinal);
    Termina();
}

}  // namespace varelo
