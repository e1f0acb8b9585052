#include "printing/print_journal.h"

#include "base/files.h"

namespace varelo {

DiarioImpressao::DiarioImpressao(Arquivos& arquivos, std::string caminho)
    : arquivos_(arquivos), caminho_(std::move(caminho)) {
    if (arquivos_.carimbo(caminho_).empty()) return;
    const std::string texto = arquivos_.le(caminho_);
    std::size_t de = 0;
    for (std::size_t fim; (fim = texto.find('\n', de)) != std::string::npos; de = fim + 1)
        if (fim > de) chaves_.insert(texto.substr(de, fim - de));
}

bool DiarioImpressao::pendente(const std::vector<std::string>& chaves) const {
    for (const std::string& c : chaves)
        if (chaves_.count(c)) return true;
    return false;
}

void DiarioImpressao::entregando(const std::vector<std::string>& chaves) {
    const auto antes = chaves_.size();
    chaves_.insert(chaves.begin(), chaves.end());
    if (chaves_.size() != antes) grava();
}

void DiarioImpressao::esquece(const std::vector<std::string>& chaves) {
    std::size_t removidas = 0;
    for (const std::string& c : chaves) removidas += chaves_.erase(c);
    if (removidas) grava();
}

void DiarioImpressao::esqueceSe(const std::function<bool(const std::string&)>& vencida) {
    const auto removidas = std::erase_if(chaves_, vencida);
    if (removidas) grava();
}

void DiarioImpressao::grava() {
    std::string texto;
    for (const std::string& c : chaves_) texto += c + "\n";
    arquivos_.gravaDuravel(caminho_, texto);
}

}  // namespace varelo
