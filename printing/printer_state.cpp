#include "printing/printer_state.h"

#include "base/errors.h"

namespace varelo {

void ImpressoraComEstado::imprime(const std::string& texto) {
    if (atual_.empty()) procuraImpressora();
    if (atual_.empty()) throw Erro("Nenhuma impressora instalada");
    std::string linha;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        if (texto[i] == '\n') {
            linhas_.push_back(std::move(linha));
            linha.clear();
        } else if (!(texto[i] == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n')) {
            linha += texto[i];
        }
    }
    linhas_.push_back(std::move(linha));
    temDocumento_ = true;
}

bool ImpressoraComEstado::terminaDocumento() {
    // Nothing printed since the last end: no empty page comes out.
    if (!temDocumento_) return true;
    const std::vector<std::string> linhas = std::move(linhas_);
    descartaDocumento();
    std::string erro;
    const bool entregue = entrega(linhas, erro);
    erro_ = entregue ? std::string() : erro;
    return entregue;
}

void ImpressoraComEstado::descartaDocumento() {
    linhas_.clear();
    temDocumento_ = false;
}

bool ImprimeDocumento(SistemaImpressao& impressao, const std::function<void()>& prepara,
                      const std::vector<std::string>& linhas, std::string& motivo) {
    try {
        prepara();
        for (const std::string& linha : linhas) impressao.imprime(linha);
    } catch (const Erro& e) {
        impressao.descartaDocumento();
        motivo = e.what();
        return false;
    }
    if (impressao.terminaDocumento()) return true;
    motivo = impressao.ultimoErro();
    impressao.descartaDocumento();
    return false;
}

}  // namespace varelo
