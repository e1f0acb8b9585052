#include "app/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "app/errors.h"

namespace varelo {

namespace {

namespace fs = std::filesystem;

// A readable description of a failed call on `caminho`.
std::string Descreve(int erro, const std::string& caminho) {
    switch (erro) {
        case ENOENT:
            return "Arquivo não encontrado: " + caminho;
        case ENOTDIR:
            return "Caminho não encontrado: " + caminho;
        case EACCES:
        case EPERM:
        case EROFS:
            return "Permissão negada: " + caminho;
        case EISDIR:
            return "É uma pasta, não um arquivo: " + caminho;
        case ENOSPC:
        case EDQUOT:
            return "Disco cheio: " + caminho;
        case EBUSY:
        case ETXTBSY:
            return "Arquivo em uso: " + caminho;
        default:
            return "Erro de acesso ao arquivo (" + std::string(std::strerror(erro)) + "): " + caminho;
    }
}

[[noreturn]] void Falha(int erro, const std::string& caminho, long numero = 0) {
    throw Erro(Descreve(erro, caminho), numero);
}

// Writes every byte, retrying short writes and interruptions.
bool GravaTudo(int fd, const std::string& bytes) {
    const char* p = bytes.data();
    std::size_t falta = bytes.size();
    while (falta > 0) {
        ssize_t n = ::write(fd, p, falta);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        falta -= static_cast<std::size_t>(n);
    }
    return true;
}

void GravaComFlags(const std::string& caminho, const std::string& bytes, int flags) {
    int fd = ::open(caminho.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0666);
    if (fd < 0) Falha(errno, caminho);
    if (!GravaTudo(fd, bytes)) {
        int erro = errno;
        ::close(fd);
        Falha(erro, caminho);
    }
    if (::close(fd) != 0) Falha(errno, caminho);
}

mode_t ModoNovoArquivo(const std::string& caminho) {
    struct stat st;
    if (::stat(caminho.c_str(), &st) == 0) return st.st_mode & 07777;
    mode_t mascara = ::umask(0);
    ::umask(mascara);
    return 0666 & ~mascara;
}

}  // namespace

std::vector<std::string> ArquivosDisco::lista(const std::string& pasta) {
    std::error_code ec;
    fs::directory_iterator it(pasta, ec);
    if (ec) Falha(ec.value(), pasta, Erro::kAcessoArquivo);
    std::vector<std::string> nomes;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        std::string nome = it->path().filename().string();
        if (nome.empty() || nome[0] == '.') continue;
        std::error_code ecTipo;
        if (it->is_regular_file(ecTipo)) nomes.push_back(std::move(nome));
    }
    if (ec) Falha(ec.value(), pasta, Erro::kAcessoArquivo);
    std::sort(nomes.begin(), nomes.end());
    return nomes;
}

std::string ArquivosDisco::le(const std::string& caminho) {
    int fd = ::open(caminho.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Falha(errno, caminho);
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        Falha(EISDIR, caminho);
    }
    std::string conteudo;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int erro = errno;
            ::close(fd);
            Falha(erro, caminho);
        }
        if (n == 0) break;
        conteudo.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return conteudo;
}

void ArquivosDisco::grava(const std::string& caminho, const std::string& bytes) {
    GravaComFlags(caminho, bytes, O_TRUNC);
}

void ArquivosDisco::acrescenta(const std::string& caminho, const std::string& bytes) {
    GravaComFlags(caminho, bytes, O_APPEND);
}

void ArquivosDisco::apaga(const std::string& caminho) {
    if (::unlink(caminho.c_str()) != 0) Falha(errno, caminho);
}

bool ArquivosDisco::podeLer(const std::string& caminho) {
    struct stat st;
    if (::stat(caminho.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    int fd = ::open(caminho.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool ArquivosDisco::ehPasta(const std::string& caminho) {
    struct stat st;
    return ::stat(caminho.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void ArquivosDisco::gravaAtomico(const std::string& caminho, const std::string& bytes) {
    // The temporary name begins with "." so that a folder scan, which skips
    // such names, never picks up the half-written file.
    fs::path destino(caminho);
    fs::path pasta = destino.parent_path();
    std::string modelo = (pasta.empty() ? fs::path(".") : pasta) / ("." + destino.filename().string() + ".XXXXXX");
    int fd = ::mkstemp(modelo.data());
    if (fd < 0) Falha(errno, caminho);
    ::fchmod(fd, ModoNovoArquivo(caminho));
    bool ok = GravaTudo(fd, bytes);
    int erro = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        erro = errno;
    }
    if (ok && ::rename(modelo.c_str(), caminho.c_str()) != 0) {
        ok = false;
        erro = errno;
    }
    if (!ok) {
        ::unlink(modelo.c_str());
        Falha(erro, caminho);
    }
}

}  // namespace varelo
