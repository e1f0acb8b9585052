#include "printing/escpos.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>

#include "base/encoding.h"
#include "base/errors.h"
#include "base/text_columns.h"

namespace varelo {
namespace {

// ESC t n for each code page, as Epson numbers the tables.
const std::map<int, char> kTabelas = {{860, 3}, {850, 2}, {858, 19}, {1252, 16}};

std::optional<int> Inteiro(const std::string& texto, int de, int ate) {
    if (texto.empty() || texto.size() > 6 || texto.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int n = std::stoi(texto);
    return n >= de && n <= ate ? std::optional(n) : std::nullopt;
}

// "HOST:PORT" of a tcp:// address.
std::optional<std::pair<std::string, std::string>> HostEPorta(const std::string& endereco) {
    if (endereco.rfind("tcp://", 0) != 0) return std::nullopt;
    const std::string resto = endereco.substr(6);
    const auto dois = resto.rfind(':');
    if (dois == std::string::npos || dois == 0 || !Inteiro(resto.substr(dois + 1), 1, 65535)) return std::nullopt;
    return std::pair(resto.substr(0, dois), resto.substr(dois + 1));
}

// A line as the printer may take it: control bytes (which would be commands)
// become "?".
std::string SemControles(std::string linha) {
    for (char& c : linha)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return linha;
}

// A real-time status answer: bits 1 and 4 set, 0 and 7 clear.
bool EhResposta(std::optional<unsigned char> b) { return b && (*b & 0x93) == 0x12; }

}  // namespace

ImpressorasConfiguradas LeImpressoras(const std::vector<std::pair<std::string, std::string>>& secao,
                                      std::vector<std::string>& erros) {
    ImpressorasConfiguradas lidas;
    for (const auto& [chave, valor] : secao) {
        if (chave.find('.') != std::string::npos) continue;
        if (!HostEPorta(valor) && valor.rfind('/', 0) != 0) {
            erros.push_back("Endereço inválido da impressora " + chave + ": " + valor);
            continue;
        }
        lidas.diretas.push_back({chave, valor});
    }
    for (const auto& [chave, valor] : secao) {
        const auto ponto = chave.find('.');
        if (ponto == std::string::npos) continue;
        const std::string nome = chave.substr(0, ponto), opcao = Maiusculas(chave.substr(ponto + 1));
        ImpressoraDireta* i = nullptr;
        for (ImpressoraDireta& candidata : lidas.diretas)
            if (candidata.nome == nome) i = &candidata;
        if (opcao == "RESERVA" && !valor.empty() && valor != nome) {
            lidas.reservas[nome] = valor;  // a printer of the printing system may have one too
        } else if (!i && (opcao == "COLUNAS" || opcao == "CODEPAGE")) {
            erros.push_back("Opção de impressora que não está em [Impressoras]: " + chave);
        } else if (const auto colunas = Inteiro(valor, 16, 200); opcao == "COLUNAS" && colunas) {
            i->colunas = *colunas;
        } else if (const auto pagina = Inteiro(valor, 0, 9999);
                   opcao == "CODEPAGE" && pagina && kTabelas.count(*pagina)) {
            i->paginaDeCodigo = *pagina;
        } else {
            erros.push_back("Opção de impressora inválida: " + chave + "=" + valor);
        }
    }
    return lidas;
}

std::string DocumentoEscPos(const std::vector<std::string>& linhas, const ImpressoraDireta& impressora, bool negrito,
                            float tamanho) {
    std::string bytes = "\x1b@\x1bt";
    bytes += kTabelas.at(impressora.paginaDeCodigo);
    if (negrito) bytes += "\x1b" "E\x01";
    if (tamanho >= 14) bytes += "\x1d!\x11";
    for (const std::string& linha : linhas)
        bytes += SemControles(ParaPaginaDeCodigo(linha, impressora.paginaDeCodigo)) + "\n";
    return bytes + "\n\n\n\n\x1dV\x01";
}

EstadoImpressora EstadoDasRespostas(std::optional<unsigned char> impressora, std::optional<unsigned char> papel) {
    if (EhResposta(impressora) && (*impressora & 0x08)) return EstadoImpressora::ForaDeLinha;
    if (EhResposta(papel) && (*papel & 0x60) == 0x60) return EstadoImpressora::SemPapel;
    return EstadoImpressora::Pronta;
}

EstadoImpressora EstadoDaFila(const std::string& estado, const std::string& aceita, const std::string& motivos) {
    if (motivos.find("media-empty") != std::string::npos) return EstadoImpressora::SemPapel;
    if (estado == "5" || aceita == "false" || motivos.find("offline") != std::string::npos)
        return EstadoImpressora::ForaDeLinha;
    return EstadoImpressora::Pronta;
}

std::string NomeDoEstado(EstadoImpressora estado) {
    switch (estado) {
        case EstadoImpressora::Pronta: return "pronta";
        case EstadoImpressora::SemPapel: return "sem papel";
        case EstadoImpressora::NaoInstalada: return "não instalada";
        default: return "fora de linha";
    }
}

std::string LinhaDeEstado(const std::string& nome, EstadoImpressora estado) {
    return "Impressora " + nome + ": " + NomeDoEstado(estado);
}

void EstadosVistos::registra(const std::string& nome, EstadoImpressora estado) {
    if (estado == EstadoImpressora::NaoInstalada) return;
    const auto antes = ultimo(nome);
    const std::string linha = LinhaDeEstado(nome, estado);
    estados_[nome] = estado;
    const bool muda = antes ? LinhaDeEstado(nome, *antes) != linha : estado != EstadoImpressora::Pronta;
    if (muda && avisa) avisa(linha);
}

std::optional<EstadoImpressora> EstadosVistos::ultimo(const std::string& nome) const {
    const auto i = estados_.find(nome);
    return i == estados_.end() ? std::nullopt : std::optional(i->second);
}

PortaDireta::PortaDireta(const std::string& endereco, std::chrono::milliseconds limite) : limite_(limite) {
    const auto tcp = HostEPorta(endereco);
    if (!tcp) {
        // A device or a file that exists: never created, so that a printer
        // unplugged does not become a file that swallows tickets.
        fd_.troca(::open(endereco.c_str(), O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        if (!fd_) throw Erro("Impressora inacessível: " + endereco + " (" + std::strerror(errno) + ")");
        return;
    }
    addrinfo dica{};
    dica.ai_socktype = SOCK_STREAM;
    addrinfo* lista = nullptr;
    if (::getaddrinfo(tcp->first.c_str(), tcp->second.c_str(), &dica, &lista) != 0 || !lista)
        throw Erro("Impressora inacessível: " + endereco + " (endereço desconhecido)");
    const std::unique_ptr<addrinfo, void (*)(addrinfo*)> enderecos(lista, ::freeaddrinfo);
    fd_.troca(::socket(lista->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    socket_ = true;
    const bool conectou = fd_ && (::connect(fd_.get(), lista->ai_addr, lista->ai_addrlen) == 0 ||
                                  (errno == EINPROGRESS && aguarda(POLLOUT, limite_)));
    int erro = conectou ? 0 : ETIMEDOUT;
    socklen_t tamanho = sizeof erro;
    if (conectou) ::getsockopt(fd_.get(), SOL_SOCKET, SO_ERROR, &erro, &tamanho);
    if (erro != 0) throw Erro("Impressora inacessível: " + endereco + " (" + std::strerror(erro) + ")");
}

bool PortaDireta::aguarda(short evento, std::chrono::milliseconds espera) const {
    pollfd p{fd_.get(), evento, 0};
    return ::poll(&p, 1, static_cast<int>(espera.count())) == 1 && (p.revents & evento);
}

std::optional<unsigned char> PortaDireta::pergunta(unsigned char n, std::chrono::milliseconds espera) {
    if (!socket_) return std::nullopt;
    escreve(std::string("\x10\x04", 2) + static_cast<char>(n));
    unsigned char resposta = 0;
    if (!aguarda(POLLIN, espera) || ::read(fd_.get(), &resposta, 1) != 1) return std::nullopt;
    return resposta;
}

void PortaDireta::escreve(const std::string& bytes) {
    const auto fim = std::chrono::steady_clock::now() + limite_;
    for (std::size_t feitos = 0; feitos < bytes.size();) {
        const auto resta =
            std::chrono::duration_cast<std::chrono::milliseconds>(fim - std::chrono::steady_clock::now());
        if (resta.count() <= 0 || !aguarda(POLLOUT, resta)) throw Erro("Impressora não recebeu o documento a tempo");
        // A socket gets no SIGPIPE when the printer hung up.
        const ssize_t n = socket_ ? ::send(fd_.get(), bytes.data() + feitos, bytes.size() - feitos, MSG_NOSIGNAL)
                                  : ::write(fd_.get(), bytes.data() + feitos, bytes.size() - feitos);
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            throw Erro(std::string("Falha ao enviar à impressora: ") + std::strerror(errno));
        feitos += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
}

}  // namespace varelo
