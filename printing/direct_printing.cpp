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
    try {
        sistema_.selecionaImpressora(nome);
        sistema_.defineNomeFonte(fonte_);
        sistema_.defineTamanhoFonte(tamanho_);
        sistema_.defineNegrito(negrito_);
        for (const std::string& linha : linhas) sistema_.imprime(linha);
    } catch (const Erro& e) {
        sistema_.descartaDocumento();
        erro = e.what();
        return false;
    }
    if (sistema_.terminaDocumento()) return true;
    erro = sistema_.ultimoErro();
    return false;
}

bool ImpressaoComDiretas::entregaDireta(const ImpressoraDireta& impressora, const std::vector<std::string>& linhas,
                                        std::string& erro) {
    try {
        PortaDireta porta(impressora.endereco, limite_);
        const auto situacao = porta.pergunta(1, esperaEstado_);
        const EstadoDireta estado = EstadoDasRespostas(situacao, porta.pergunta(4, esperaEstado_));
        registra(impressora.nome, estado);
        if (estado != EstadoDireta::Pronta) {
            erro = LinhaDeEstado(impressora.nome, estado);
            return false;
        }
        porta.escreve(DocumentoEscPos(linhas, impressora, negrito_, tamanho_));
        return true;
    } catch (const Erro& e) {
        registra(impressora.nome, EstadoDireta::Inalcancavel);
        erro = e.what();
        return false;
    }
}

void ImpressaoComDiretas::registra(const std::string& nome, EstadoDireta estado) {
    if (const auto linha = estados_.registra(nome, estado); linha && avisa) avisa(*linha);
}

}  // namespace varelo
