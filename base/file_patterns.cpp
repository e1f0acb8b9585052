#include "base/file_patterns.h"

#include <cctype>

#include "base/files.h"

namespace varelo {
namespace {

bool Igual(char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) ==
           std::toupper(static_cast<unsigned char>(b));
}

}  // namespace

bool CasaPadrao(const std::string& nome, const std::string& padrao) {
    // Iterative match with backtracking to the last "*".
    std::size_t n = 0, p = 0, estrela = std::string::npos, volta = 0;
    while (n < nome.size()) {
        if (p < padrao.size() && (padrao[p] == '?' || (padrao[p] != '*' && Igual(padrao[p], nome[n])))) {
            ++n;
            ++p;
        } else if (p < padrao.size() && padrao[p] == '*') {
            estrela = p++;
            volta = n;
        } else if (estrela != std::string::npos) {
            p = estrela + 1;
            n = ++volta;
        } else {
            return false;
        }
    }
    while (p < padrao.size() && padrao[p] == '*') ++p;
    return p == padrao.size();
}

std::vector<std::string> ListaPorPadrao(Arquivos& arquivos, const std::string& pasta,
                                        const std::string& padrao) {
    std::vector<std::string> nomes;
    for (const std::string& nome : arquivos.lista(pasta))
        if (CasaPadrao(nome, padrao)) nomes.push_back(nome);
    return nomes;
}

}  // namespace varelo
