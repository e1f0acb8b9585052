#include "base/lines.h"

namespace varelo {

std::vector<std::string> LinhasDoTexto(const std::string& texto) {
    std::vector<std::string> linhas;
    std::string atual;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        if (texto[i] == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n') continue;
        if (texto[i] == '\n' || texto[i] == '\r') {
            linhas.push_back(std::move(atual));
            atual.clear();
        } else {
            atual += texto[i];
        }
    }
    if (!atual.empty()) linhas.push_back(std::move(atual));
    return linhas;
}

}  // namespace varelo
