#include "tests/support/private_cups.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "base/descriptor.h"
#include "tests/support/program_run.h"

namespace varelo {

namespace fs = std::filesystem;

int Executa(const std::string& linha, std::string& saida) {
    saida.clear();
    FILE* f = ::popen((linha + " 2>&1").c_str(), "r");
    if (f == nullptr) return -1;
    std::array<char, 4096> bloco;
    for (std::size_t n; (n = std::fread(bloco.data(), 1, bloco.size(), f)) > 0;)
        saida.append(bloco.data(), n);
    const int estado = ::pclose(f);
    return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
}

std::string Aspas(const std::string& texto) { return "'" + texto + "'"; }

int EscutaLocal(int porta) {
    const int sim = 1;
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    endereco.sin_port = htons(static_cast<std::uint16_t>(porta));
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &sim, sizeof sim) == 0 &&
        ::bind(fd, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) == 0 && ::listen(fd, 8) == 0)
        return fd;
    Descritor fechado(fd);
    throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(porta));
}

int PortaDe(int socket) {
    sockaddr_in endereco{};
    socklen_t tamanho = sizeof endereco;
    return ::getsockname(socket, reinterpret_cast<sockaddr*>(&endereco), &tamanho) == 0 ? ntohs(endereco.sin_port) : 0;
}

int PortaLivre() { return PortaDe(Descritor(EscutaLocal(0)).get()); }

bool TemCupsd() {
    std::string onde;
    return Executa("command -v cupsd || test -x /usr/sbin/cupsd", onde) == 0;
}

namespace {

std::string Script() {
    const char* fonte = std::getenv("VARELO_SOURCE_DIR");
    // Run by hand, outside ctest: the checkout this file was built from.
    const fs::path raiz = fonte && *fonte ? fs::path(fonte) : fs::path(__FILE__).parent_path() / ".." / "..";
    return (raiz / "scripts" / "private-cups.sh").string();
}

}  // namespace

CupsPrivado::CupsPrivado(std::string pasta, int porta) : pasta_(std::move(pasta)), porta_(porta) {
    iniciado_ = faz("start", std::to_string(porta_), &saidaInicio_);
}

std::string CupsPrivado::registro() const { return Le(pasta_ + "/log/error_log"); }

bool CupsPrivado::faz(const std::string& acao, const std::string& mais, std::string* saida) const {
    std::string descartada;
    return Executa(Aspas(Script()) + " " + acao + " " + Aspas(pasta_) + " " + mais, saida ? *saida : descartada) == 0;
}

}  // namespace varelo
