#include "base/user_store.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/errors.h"
#include "base/ini.h"

namespace varelo {

namespace {

namespace fs = std::filesystem;

void ValidaAplicacao(const std::string& aplicacao) {
    if (aplicacao.empty() || aplicacao.find('/') != std::string::npos ||
        aplicacao.find("..") != std::string::npos)
        throw Erro("Nome de aplicação inválido para as configurações: \"" + aplicacao + "\"");
}

}  // namespace

ArmazemIni::ArmazemIni(std::string pastaBase) : base_(std::move(pastaBase)) {}

std::string ArmazemIni::PastaPadrao() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return (fs::path(home) / ".config").string();
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && pw->pw_dir[0] != '\0')
        return (fs::path(pw->pw_dir) / ".config").string();
    throw Erro("Não foi possível determinar a pasta pessoal do usuário para as configurações");
}

std::string ArmazemIni::caminho(const std::string& aplicacao) const {
    ValidaAplicacao(aplicacao);
    return (fs::path(base_) / aplicacao / "settings.ini").string();
}

std::string ArmazemIni::le(const std::string& aplicacao, const std::string& secao,
                           const std::string& chave, const std::string& padrao) {
    if (auto v = LeChaveIni(secao, chave, caminho(aplicacao))) return *v;
    return padrao;
}

void ArmazemIni::grava(const std::string& aplicacao, const std::string& secao,
                       const std::string& chave, const std::string& valor) {
    const std::string arquivo = caminho(aplicacao);
    const fs::path pasta = fs::path(arquivo).parent_path();
    std::error_code ec;
    fs::create_directories(pasta, ec);
    if (ec == std::errc::permission_denied || ec == std::errc::read_only_file_system)
        throw Erro("Permissão negada: " + pasta.string());
    if (ec) throw Erro("Não foi possível criar a pasta " + pasta.string() + " (" + ec.message() + ")");
    GravaChaveIni(secao, chave, valor, arquivo);
}

}  // namespace varelo
