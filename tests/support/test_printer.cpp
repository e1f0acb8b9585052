#include "tests/support/test_printer.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace varelo {

ImpressoraDeTeste::ImpressoraDeTeste() {
    escuta_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t tamanho = sizeof endereco;
    if (escuta_ < 0 || ::bind(escuta_, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0 ||
        ::listen(escuta_, 8) != 0 || ::getsockname(escuta_, reinterpret_cast<sockaddr*>(&endereco), &tamanho) != 0)
        throw std::runtime_error("test printer: cannot listen");
    porta_ = ntohs(endereco.sin_port);
    thread_ = std::thread([this] { atende(); });
}

ImpressoraDeTeste::~ImpressoraDeTeste() {
    fim_ = true;
    thread_.join();
    ::close(escuta_);
}

void ImpressoraDeTeste::responde(std::optional<unsigned char> impressora, std::optional<unsigned char> papel) {
    std::lock_guard<std::mutex> trava(mutex_);
    impressora_ = impressora;
    papel_ = papel;
}

std::vector<std::string> ImpressoraDeTeste::documentos() {
    std::lock_guard<std::mutex> trava(mutex_);
    return documentos_;
}

// One connection at a time, as a printer serves them.
void ImpressoraDeTeste::atende() {
    while (!fim_) {
        pollfd p{escuta_, POLLIN, 0};
        if (::poll(&p, 1, 20) != 1) continue;
        const int conexao = ::accept4(escuta_, nullptr, nullptr, SOCK_CLOEXEC);
        if (conexao < 0) continue;
        std::string bytes;
        char bloco[4096];
        for (ssize_t n; !fim_ && (n = ::read(conexao, bloco, sizeof bloco)) > 0;) {
            bytes.append(bloco, static_cast<std::size_t>(n));
            // A status request is answered at once and is not part of the document.
            for (std::size_t i; (i = bytes.find("\x10\x04", 0)) != std::string::npos && i + 2 < bytes.size();) {
                const char pedido = bytes[i + 2];
                bytes.erase(i, 3);
                std::lock_guard<std::mutex> trava(mutex_);
                const auto resposta = pedido == 1 ? impressora_ : pedido == 4 ? papel_ : std::nullopt;
                if (resposta) (void)::write(conexao, &*resposta, 1);
            }
        }
        ::close(conexao);
        std::lock_guard<std::mutex> trava(mutex_);
        if (!bytes.empty()) documentos_.push_back(bytes);  // a refused document leaves only its status requests
    }
}

}  // namespace varelo
