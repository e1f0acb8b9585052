#include "base/posix_platform.h"

#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/clock.h"
#include "base/errors.h"
#include "base/event_list.h"

extern char** environ;

namespace varelo {
namespace {

namespace fs = std::filesystem;

bool SoDigitos(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

std::string NomeDoProcesso(const fs::path& pasta) {
    std::error_code erro;
    const fs::path exe = fs::read_symlink(pasta / "exe", erro);
    if (!erro) {
        std::string nome = exe.filename().string();
        const std::string apagado = " (deleted)";
        if (nome.size() > apagado.size() && nome.ends_with(apagado))
            nome.resize(nome.size() - apagado.size());
        return nome;
    }
    std::ifstream comm(pasta / "comm");
    std::string nome;
    std::getline(comm, nome);
    return nome;
}

// The absolute folders of a PATH value, in order: an empty or relative entry
// would be the folder the program runs in.
std::vector<std::string> PastasAbsolutas(const char* path) {
    std::vector<std::string> pastas;
    std::string atual;
    for (const char* p = path ? path : "";; ++p) {
        if (*p == ':' || *p == '\0') {
            if (!atual.empty() && atual[0] == '/') pastas.push_back(atual);
            atual.clear();
            if (*p == '\0') break;
        } else {
            atual += *p;
        }
    }
    return pastas;
}

// The program's environment for a command, PATH reduced to its absolute folders.
std::vector<std::string> AmbienteDoComando() {
    std::vector<std::string> ambiente;
    for (char** e = environ; *e; ++e) {
        std::string variavel = *e;
        if (variavel.rfind("PATH=", 0) == 0) {
            variavel = "PATH=";
            for (const std::string& pasta : PastasAbsolutas(*e + 5))
                variavel += (variavel.size() > 5 ? ":" : "") + pasta;
        }
        ambiente.push_back(std::move(variavel));
    }
    return ambiente;
}

// A script given as the command is shown by its first line.
std::string PrimeiraLinha(const std::string& comando) {
    const std::size_t fim = comando.find_first_of("\r\n");
    return fim == std::string::npos ? comando : comando.substr(0, fim) + " ...";
}

}  // namespace

std::vector<std::string> ProcessosProc::nomes() {
    std::vector<std::string> nomes;
    std::error_code erro;
    fs::directory_iterator it(raiz_, erro);
    if (erro) throw Erro("Lista de processos indisponível: " + erro.message());
    for (const fs::directory_entry& e : it) {
        if (!SoDigitos(e.path().filename().string())) continue;
        const std::string nome = NomeDoProcesso(e.path());
        if (!nome.empty()) nomes.push_back(nome);  // a process that ended meanwhile has none
    }
    return nomes;
}

ExecutorPosix::ExecutorPosix(ListaEventos& eventos, Relogio& relogio,
                             std::chrono::milliseconds limite)
    : eventos_(eventos), relogio_(relogio), limite_(limite) {}

bool ExecutorPosix::executaEEspera(const std::string& linhaComando) {
    posix_spawnattr_t atributos;
    posix_spawnattr_init(&atributos);
    posix_spawnattr_setflags(&atributos, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&atributos, 0);
    std::string sh = "/bin/sh", menosC = "-c", linha = linhaComando;
    char* argv[] = {sh.data(), menosC.data(), linha.data(), nullptr};
    std::vector<std::string> ambiente = AmbienteDoComando();
    std::vector<char*> envp;
    for (std::string& v : ambiente) envp.push_back(v.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    const int falha = posix_spawn(&pid, "/bin/sh", nullptr, &atributos, argv, envp.data());
    posix_spawnattr_destroy(&atributos);
    if (falha != 0) return false;

    constexpr std::chrono::milliseconds kIntervalo{20};
    std::chrono::milliseconds esperado{0};
    for (;;) {
        int estado = 0;
        const pid_t r = waitpid(pid, &estado, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR)) return true;
        if (esperado >= limite_) break;
        relogio_.espera(kIntervalo);
        esperado += kIntervalo;
    }
    kill(-pid, SIGKILL);
    int estado = 0;
    while (waitpid(pid, &estado, 0) < 0 && errno == EINTR) {
    }
    eventos_.AdicionaEvento("Comando encerrado após " + std::to_string(limite_.count() / 1000) +
                            " s sem terminar: " + PrimeiraLinha(linhaComando));
    return true;
}

unsigned ExecutorPosix::usuario() const { return static_cast<unsigned>(::geteuid()); }

std::string ExecutorPosix::localiza(const std::string& comando, const std::string& pastaExcluida) {
    for (const std::string& pasta : PastasAbsolutas(std::getenv("PATH"))) {
        std::error_code erro;
        if (!pastaExcluida.empty() && fs::equivalent(pasta, pastaExcluida, erro)) continue;
        const std::string caminho = pasta + "/" + comando;
        if (fs::is_regular_file(caminho, erro) && ::access(caminho.c_str(), X_OK) == 0) return caminho;
    }
    return "";
}

ObservadorPasta::ObservadorPasta(const std::string& pasta) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ && ::inotify_add_watch(fd_.get(), pasta.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO) < 0) fd_.fecha();
}

std::vector<std::string> ObservadorPasta::novos() {
    std::vector<std::string> nomes;
    alignas(inotify_event) char bloco[4096];
    for (ssize_t n; fd_ && (n = ::read(fd_.get(), bloco, sizeof bloco)) > 0;) {
        for (ssize_t i = 0; i < n;) {
            const auto* evento = reinterpret_cast<const inotify_event*>(bloco + i);
            if (evento->mask & IN_Q_OVERFLOW) nomes.emplace_back();
            else if (evento->len > 0) nomes.emplace_back(evento->name);
            i += static_cast<ssize_t>(sizeof(inotify_event) + evento->len);
        }
    }
    return nomes;
}

}  // namespace varelo
