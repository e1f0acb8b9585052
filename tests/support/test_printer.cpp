#include "tests/support/test_printer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/support/private_cups.h"

namespace varelo {

ImpressoraDeTeste::ImpressoraDeTeste() {
    escuta(0);
    thread_ = std::thread([this] { atende(); });
}

ImpressoraDeTeste::~ImpressoraDeTeste() {
    fim_ = true;
    thread_.join();
    if (escuta_ >= 0) ::close(escuta_);
}

void ImpressoraDeTeste::escuta(int porta) {
    const int fd = EscutaLocal(porta);
    porta_ = PortaDe(fd);
    escuta_ = fd;
}

// The listening socket is closed and opened again by the serving thread, so
// that it never waits on a descriptor closed under it; these wait until it has.
void ImpressoraDeTeste::desliga() {
    ligada_ = false;
    while (escuta_ >= 0) ::poll(nullptr, 0, 5);
}

void ImpressoraDeTeste::liga() {
    ligada_ = true;
    while (escuta_ < 0) ::poll(nullptr, 0, 5);
}

std::string ImpressoraDeTeste::perguntas() {
    std::lock_guard<std::mutex> trava(mutex_);
    return perguntas_;
}

void ImpressoraDeTeste::responde(std::optional<unsigned char> impressora, std::optional<unsigned char> papel,
                                 std::chrono::milliseconds demora) {
    std::lock_guard<std::mutex> trava(mutex_);
    impressora_ = impressora;
    papel_ = papel;
    demora_ = demora;
}

std::vector<std::string> ImpressoraDeTeste::documentos() {
    std::lock_guard<std::mutex> trava(mutex_);
    return documentos_;
}

// One connection at a time, as a printer serves them.
void ImpressoraDeTeste::atende() {
    while (!fim_) {
        if (ligada_ && escuta_ < 0) escuta(porta_);
        if (!ligada_ && escuta_ >= 0) ::close(escuta_.exchange(-1));
        pollfd p{escuta_, POLLIN, 0};
        if (::poll(&p, p.fd < 0 ? 0 : 1, 20) != 1) continue;
        const int conexao = ::accept4(p.fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (conexao < 0) continue;
        std::string bytes;
        char bloco[4096];
        for (ssize_t n; !fim_ && (n = ::read(conexao, bloco, sizeof bloco)) > 0;) {
            bytes.append(bloco, static_cast<std::size_t>(n));
            // A status request is answered (after the delay set) and is not part of the document.
            for (std::size_t i; (i = bytes.find("\x10\x04", 0)) != std::string::npos && i + 2 < bytes.size();) {
                const char pedido = bytes[i + 2];
                bytes.erase(i, 3);
                std::unique_lock<std::mutex> trava(mutex_);
                perguntas_ += std::to_string(pedido);
                const auto resposta = pedido == 1 ? impressora_ : pedido == 4 ? papel_ : std::nullopt;
                const auto demora = demora_;
                trava.unlock();
                std::this_thread::sleep_for(demora);
                if (resposta) (void)::write(conexao, &*resposta, 1);
            }
        }
        ::close(conexao);
        std::lock_guard<std::mutex> trava(mutex_);
        if (!bytes.empty()) documentos_.push_back(bytes);  // a refused document leaves only its status requests
    }
}

}  // namespace varelo
