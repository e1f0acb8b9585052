#include "db/sql.h"

#include "base/errors.h"
#include "base/record.h"
#include "base/regional.h"

namespace varelo {

std::string EscapaSql(std::string_view texto, bool semBarraInvertida) {
    std::string saida;
    saida.reserve(texto.size());
    for (char c : texto) {
        if (c == '\'') saida += "''";
        else if (c == '\\' && !semBarraInvertida) saida += "\\\\";
        else if (c == '\0' && !semBarraInvertida) saida += "\\0";
        else saida += c;
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

Dinheiro DinheiroDoBanco(const std::string& texto) {
    // The server writes a decimal point and no grouping; anything else is
    // not a value of a numeric column.
    const std::size_t e = texto.find_first_of("eE");
    if (!EhNumeroSql(std::string_view(texto).substr(0, e)) ||
        (e != std::string::npos && !EhInteiroSql(std::string_view(texto).substr(e + 1))))
        throw Erro("Tipo incompatível");
    return LeDinheiro(PontoParaVirgula(texto));
}

std::string TextoDinheiroSql(Dinheiro valor) { return VirgulaParaPonto(TextoPadrao(valor)); }

}  // namespace varelo
