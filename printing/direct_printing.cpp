#include "printing/direct_printing.h"

#include <algorithm>

#include "base/errors.h"

namespace varelo {

ImpressaoComDiretas::ImpressaoComDiretas(SistemaImpressao& sistema, ImpressorasConfiguradas impressoras,
                                         std::chrono::milliseconds limite, std::chrono::milliseconds esperaEstado)
    : ImpressoraComEstado(sistema.nomeFonte()),
      sistema_(sistema),
      diretas_(std::move(impressoras.diretas)),
      reservas_(std::move(impressoras.reservas)),
      limite_(limite),
      esperaEstado_(esperaEstado) {
    atual_ = sistema_.impressoraAtual();
    for (const ImpressoraDireta& d : diretas_) falando_[d.nome];
}

const ImpressoraDireta* ImpressaoComDiretas::direta(const std::string& nome) const {
    const auto i = std::find_if(diretas_.begin(), diretas_.end(), [&](const auto& d) { return d.nome == nome; });
    return i == diretas_.end() ? nullptr : &*i;
}

std::vector<std::string> ImpressaoComDiretas::impressoras() {
    std::vector<std::string> nomes = sistema_.impressoras();
    for (const ImpressoraDireta& d : diretas_)
        if (std::find(nomes.begin(), nomes.end(), d.nome) == nomes.end()) nomes.push_back(d.nome);
    return nomes;
}

void ImpressaoComDiretas::selecionaImpressora(const std::string& nome) {
    if (!direta(nome)) sistema_.selecionaImpressora(nome);
    atual_ = nome;
}

bool ImpressaoComDiretas::entrega(const std::vector<std::string>& linhas, std::string& erro) {
    reservaUsada_.clear();
    if (entregaEm(atual_, linhas, erro)) return true;
    const auto reserva = reservas_.find(atual_);
    if (reserva == reservas_.end()) return false;
    std::vector<std::string> naReserva{"*** IMPRESSO NA RESERVA DE " + atual_ + " ***"};
    naReserva.insert(naReserva.end(), linhas.begin(), linhas.end());
    std::string erroReserva;
    if (!entregaEm(reserva->second, naReserva, erroReserva)) {
        erro += "; reserva " + reserva->second + ": " + erroReserva;
        return false;
    }
    reservaUsada_ = reserva->second;
    return true;
}

bool ImpressaoComDiretas::entregaEm(const std::string& nome, const std::vector<std::string>& linhas,
                                    std::string& erro) {
    if (const ImpressoraDireta* d = direta(nome)) return entregaDireta(*d, linhas, erro);
    const auto prepara = [&] {
        sistema_.selecionaImpressora(nome);
        sistema_.defineNomeFonte(fonte_);
        sistema_.defineTamanhoFonte(tamanho_);
        sistema_.defineNegrito(negrito_);
    };
    return ImprimeDocumento(sistema_, prepara, linhas, erro);
}

// A printer that did not answer the first question is not kept waiting for
// the second: it answers neither.
EstadoImpressora ImpressaoComDiretas::pergunta(PortaDireta& porta) {
    const auto situacao = porta.pergunta(1, esperaEstado_);
    return EstadoDasRespostas(situacao, situacao ? porta.pergunta(4, esperaEstado_) : std::nullopt);
}

bool ImpressaoComDiretas::entregaDireta(const ImpressoraDireta& impressora, const std::vector<std::string>& linhas,
                                        std::string& erro) {
    const std::lock_guard<std::mutex> vez(falando_.at(impressora.nome));
    EstadoImpressora estado = EstadoImpressora::Inalcancavel;
    bool impresso = false;
    try {
        PortaDireta porta(impressora.endereco, limite_);
        estado = pergunta(porta);
        if (estado == EstadoImpressora::Pronta) {
            porta.escreve(DocumentoEscPos(linhas, impressora, negrito_, tamanho_));
            impresso = true;
        } else {
            erro = LinhaDeEstado(impressora.nome, estado);
        }
    } catch (const Erro& e) {
        estado = EstadoImpressora::Inalcancavel;
        erro = e.what();
    }
    if (estados) estados->registra(impressora.nome, estado);
    return impresso;
}

int ImpressaoComDiretas::colunas(const std::string& nome) {
    const ImpressoraDireta* d = direta(nome);
    return d ? d->colunas : sistema_.colunas(nome);
}

std::optional<EstadoImpressora> ImpressaoComDiretas::estado(const std::string& nome) {
    const ImpressoraDireta* d = direta(nome);
    if (!d) return sistema_.estado(nome);
    const std::unique_lock<std::mutex> vez(falando_.at(d->nome), std::try_to_lock);
    if (!vez) return std::nullopt;
    try {
        PortaDireta porta(d->endereco, limite_);
        return pergunta(porta);
    } catch (const Erro&) {
        return EstadoImpressora::Inalcancavel;
    }
}

}  // namespace varelo
