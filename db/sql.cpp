#include "db/sql.h"

namespace varelo {

std::string EscapaSql(std::string_view texto) {
    std::string saida;
    saida.reserve(texto.size());
    for (char c : texto) {
        switch (c) {
            case '\\': saida += "\\\\"; break;
            case '\'': saida += "\\'"; break;
            case '\0': saida += "\\0"; break;
            case '\n': saida += "\\n"; break;
            case '\r': saida += "\\r"; break;
            case '\x1a': saida += "\\Z"; break;
            default: saida += c;
        }
    }
    return saida;
}

namespace {

std::size_t Digitos(std::string_view t, std::size_t i) {
    std::size_t n = 0;
    while (i + n < t.size() && t[i + n] >= '0' && t[i + n] <= '9') ++n;
    return n;
}

}  // namespace

bool EhNumeroSql(std::string_view t) {
    std::size_t i = (!t.empty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
    const std::size_t inteiros = Digitos(t, i);
    if (inteiros == 0) return false;
    i += inteiros;
    if (i == t.size()) return true;
    if (t[i] != '.') return false;
    const std::size_t decimais = Digitos(t, i + 1);
    return decimais > 0 && i + 1 + decimais == t.size();
}

bool EhInteiroSql(std::string_view t) {
    std::size_t i = (!t.empty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
    const std::size_t n = Digitos(t, i);
    return n > 0 && i + n == t.size();
}

}  // namespace varelo
