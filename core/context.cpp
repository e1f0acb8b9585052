#include "core/context.h"

namespace varelo {

std::string Junta(const std::string& pasta, const std::string& nome) {
    if (pasta.empty()) return nome;
    if (pasta.back() == '/') return pasta + nome;
    return pasta + "/" + nome;
}

}  // namespace varelo
