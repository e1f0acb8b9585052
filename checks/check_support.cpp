#include "checks/check_support.h"

#include <cctype>

#include "base/errors.h"
#include "base/event_list.h"
#include "base/record.h"
#include "base/regional.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "db/banco.h"
#include "db/sql.h"

namespace varelo::verificacoes {

const std::string kSeparador(61, '-');

const std::string kFalhaNoPasso = "Erro Verificacao Tablet";

std::int32_t Inteiro32(const Registros& r, const std::string& nome) {
    return ParaInteiro32(PontoParaVirgula(r.texto(nome)));
}

std::string TextoDataHora(const std::string& t) {
    // yyyy-mm-dd hh:mm:ss, perhaps followed by fractions of a second.
    static const char kForma[] = "dddd-dd-dd dd:dd:dd";
    const std::size_t n = sizeof kForma - 1;
    if (t.size() < n) throw Erro("Tipo incompatível");
    for (std::size_t i = 0; i < n; ++i) {
        const bool digito = std::isdigit(static_cast<unsigned char>(t[i])) != 0;
        if (kForma[i] == 'd' ? !digito : t[i] != kForma[i]) throw Erro("Tipo incompatível");
    }
    std::string s = t.substr(0, n);
    s[4] = '/';
    s[7] = '/';
    return s;
}

std::string SqlInteiro(const std::optional<std::string>& v) {
    if (!v) return "Null";
    if (!EhInteiroSql(*v)) throw Erro("Tipo incompatível");
    return *v;
}

std::string SqlDinheiro(const std::optional<std::string>& v) {
    return v ? TextoDinheiroSql(DinheiroDoBanco(*v)) : "Null";
}

std::string SqlTexto(Banco& b, const std::optional<std::string>& v) {
    return v ? "'" + b.Escapa(*v) + "'" : "Null";
}

std::string SqlDataHora(const std::optional<std::string>& v) {
    return v ? "'" + TextoDataHora(*v) + "'" : "Null";
}

}  // namespace varelo::verificacoes
