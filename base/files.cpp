#include "base/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/descriptor.h"
#include "base/errors.h"

namespace varelo {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Falha(int erro, const std::string& caminho, long numero = 0) {
    throw Erro(DescreveFalha(erro, caminho), numero);
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
    Descritor fd(::open(caminho.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0666));
    if (!fd) Falha(errno, caminho);
    if (!GravaTudo(fd.get(), bytes)) Falha(errno, caminho);
    if (!fd.fecha()) Falha(errno, caminho);
}

std::string LeTudo(int fd, const std::string& caminho) {
    std::string conteudo;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            Falha(errno, caminho);
        }
        if (n == 0) break;
        conteudo.append(buf, static_cast<std::size_t>(n));
    }
    return conteudo;
}

Posse PosseDe(const struct stat& st) {
    return {S_ISREG(st.st_mode), static_cast<unsigned>(st.st_uid), static_cast<unsigned>(st.st_mode & 07777)};
}

mode_t ModoNovoArquivo(const std::string& caminho) {
    struct stat st;
    if (::stat(caminho.c_str(), &st) == 0) return st.st_mode & 07777;
    mode_t mascara = ::umask(0);
    ::umask(mascara);
    return 0666 & ~mascara;
}

}  // namespace

std::string DescreveFalha(int erro, const std::string& caminho) {
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

std::string TextoPermissoes(unsigned modo) {
    char texto[16];
    std::snprintf(texto, sizeof texto, "%04o", modo & 07777u);
    return texto;
}

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
    Descritor fd(::open(caminho.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) Falha(errno, caminho);
    struct stat st;
    if (::fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode)) Falha(EISDIR, caminho);
    return LeTudo(fd.get(), caminho);
}

Posse ArquivosDisco::posse(const std::string& caminho) {
    struct stat st;
    if (::stat(caminho.c_str(), &st) != 0) Falha(errno, caminho);
    return PosseDe(st);
}

std::string ArquivosDisco::leSemLink(const std::string& caminho, Posse& posse) {
    posse = {};
    // O_NONBLOCK: a pipe planted under the name must not hold the open.
    Descritor fd(::open(caminho.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!fd) {
        if (errno == ELOOP) return "";
        Falha(errno, caminho);
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) Falha(errno, caminho);
    posse = PosseDe(st);
    return posse.comum ? LeTudo(fd.get(), caminho) : "";
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
    return static_cast<bool>(Descritor(::open(caminho.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)));
}

bool ArquivosDisco::ehPasta(const std::string& caminho) {
    struct stat st;
    return ::stat(caminho.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void ArquivosDisco::gravaAtomico(const std::string& caminho, const std::string& bytes) {
    gravaSubstituindo(caminho, bytes, false);
}

void ArquivosDisco::gravaDuravel(const std::string& caminho, const std::string& bytes) {
    gravaSubstituindo(caminho, bytes, true);
}

void ArquivosDisco::gravaSubstituindo(const std::string& caminho, const std::string& bytes,
                                      bool duravel) {
    // The temporary name begins with "." so that a folder scan, which skips
    // such names, never picks up the half-written file.
    fs::path destino(caminho);
    fs::path pasta = destino.parent_path();
    if (pasta.empty()) pasta = ".";
    std::string modelo = pasta / ("." + destino.filename().string() + ".XXXXXX");
    Descritor fd(::mkstemp(modelo.data()));
    if (!fd) Falha(errno, caminho);
    ::fchmod(fd.get(), ModoNovoArquivo(caminho));
    bool ok = GravaTudo(fd.get(), bytes) && (!duravel || ::fsync(fd.get()) == 0);
    int erro = errno;
    if (!fd.fecha() && ok) {
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
    if (duravel) {
        // The rename itself is on the disk once the folder is.
        Descritor dir(::open(pasta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir) ::fsync(dir.get());
    }
}

void ArquivosDisco::renomeia(const std::string& de, const std::string& para) {
    if (::rename(de.c_str(), para.c_str()) != 0) Falha(errno, de);
}

void ArquivosDisco::criaPasta(const std::string& caminho) {
    if (::mkdir(caminho.c_str(), 0777) != 0 && errno != EEXIST) Falha(errno, caminho);
}

std::string ArquivosDisco::carimbo(const std::string& caminho) {
    struct stat st;
    if (::stat(caminho.c_str(), &st) != 0) return "";
    return std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec) + ":" + std::to_string(st.st_ino);
}

}  // namespace varelo
