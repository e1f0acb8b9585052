#include "tests/support/private_cups.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

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

int PortaLivre() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t tamanho = sizeof endereco;
    int porta = 0;
    if (s >= 0 && ::bind(s, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&endereco), &tamanho) == 0)
        porta = ntohs(endereco.sin_port);
    if (s >= 0) ::close(s);
    return porta;
}

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
