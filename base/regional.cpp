#include "base/regional.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "base/errors.h"

namespace varelo {

namespace {

[[noreturn]] void TipoIncompativel() { throw Erro("Tipo incompatível"); }
[[noreturn]] void Estouro() { throw Erro("Estouro"); }

bool EhDigito(char c) { return c >= '0' && c <= '9'; }

// An exact decimal number: digitos x 10^expoente. Kept normalised: no
// leading or trailing zeros in digitos, and zero is the empty digit text.
struct Decimal {
    bool negativo = false;
    std::string digitos;
    int expoente = 0;

    bool zero() const { return digitos.empty(); }
};

void Normaliza(Decimal& d) {
    std::size_t primeiro = d.digitos.find_first_not_of('0');
    if (primeiro == std::string::npos) {
        d.digitos.clear();
        d.expoente = 0;
        return;
    }
    d.digitos.erase(0, primeiro);
    while (d.digitos.back() == '0') {
        d.digitos.pop_back();
        ++d.expoente;
    }
}

enum class Metade { ParaPar, LongeDoZero };

// Rounds to `casas` decimals. The sign stays as it was, so a negative value
// that rounds to zero is zero with negativo set; callers that print test zero().
void Arredonda(Decimal& d, int casas, Metade metade) {
    if (d.zero() || d.expoente >= -casas) return;
    const long descarta = -static_cast<long>(casas) - d.expoente;  // digits cut from the end
    const long n = static_cast<long>(d.digitos.size());
    std::string mantidos;
    char primeiroCortado = '0';
    bool restoNaoZero = false;
    if (descarta > n) {
        restoNaoZero = true;  // every digit is cut, and they are not all zero
    } else {
        mantidos = d.digitos.substr(0, n - descarta);
        primeiroCortado = d.digitos[n - descarta];
        restoNaoZero = d.digitos.find_first_not_of('0', n - descarta + 1) != std::string::npos;
    }
    bool sobe;
    if (primeiroCortado > '5') {
        sobe = true;
    } else if (primeiroCortado < '5') {
        sobe = false;
    } else if (metade == Metade::LongeDoZero || restoNaoZero) {
        sobe = true;
    } else {
        int ultimo = mantidos.empty() ? 0 : mantidos.back() - '0';
        sobe = ultimo % 2 != 0;
    }
    if (sobe) {
        long i = static_cast<long>(mantidos.size()) - 1;
        while (i >= 0 && mantidos[i] == '9') mantidos[i--] = '0';
        if (i < 0)
            mantidos.insert(mantidos.begin(), '1');
        else
            ++mantidos[i];
    }
    d.digitos = mantidos;
    d.expoente = -casas;
    Normaliza(d);
}

// The whole part and the decimals of a normalised value, without padding.
void Partes(const Decimal& d, std::string& inteiro, std::string& fracao) {
    inteiro.clear();
    fracao.clear();
    if (d.zero()) return;
    if (d.expoente >= 0) {
        inteiro = d.digitos + std::string(d.expoente, '0');
        return;
    }
    const long n = static_cast<long>(d.digitos.size());
    const long corte = n + d.expoente;  // digits before the decimal point
    if (corte > 0) {
        inteiro = d.digitos.substr(0, corte);
        fracao = d.digitos.substr(corte);
    } else {
        fracao = std::string(-corte, '0') + d.digitos;
    }
}

// A value with no decimals left (expoente >= 0) as an integer; false when it
// does not fit in 38 digits.
bool ParaInt128(const Decimal& d, __int128& saida) {
    saida = 0;
    if (d.zero()) return true;
    if (d.expoente < 0) return false;
    if (d.digitos.size() + static_cast<std::size_t>(d.expoente) > 38) return false;
    for (char c : d.digitos) saida = saida * 10 + (c - '0');
    for (int i = 0; i < d.expoente; ++i) saida *= 10;
    if (d.negativo) saida = -saida;
    return true;
}

double ParaDouble(const Decimal& d) {
    if (d.zero()) return 0.0;
    // No decimal point in the text, so strtod's locale does not matter.
    std::string t = d.digitos + "e" + std::to_string(d.expoente);
    double v = std::strtod(t.c_str(), nullptr);
    if (!std::isfinite(v)) Estouro();
    return d.negativo ? -v : v;
}

// Reads an exponent's digits from texto[i]; capped so that absurd exponents
// cannot overflow the arithmetic (they overflow or vanish later anyway).
int LeExpoente(const std::string& texto, std::size_t& i, std::size_t fim) {
    long valor = 0;
    while (i < fim && EhDigito(texto[i])) {
        if (valor < 1000000) valor = valor * 10 + (texto[i] - '0');
        ++i;
    }
    return static_cast<int>(valor);
}

Decimal LeRegional(const std::string& texto) {
    auto espaco = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t i = 0, fim = texto.size();
    while (i < fim && espaco(texto[i])) ++i;
    while (fim > i && espaco(texto[fim - 1])) --fim;

    Decimal d;
    if (i < fim && (texto[i] == '+' || texto[i] == '-')) d.negativo = texto[i++] == '-';
    bool algumDigito = false;
    int decimais = 0;
    for (; i < fim; ++i) {
        char c = texto[i];
        if (EhDigito(c)) {
            d.digitos += c;
            algumDigito = true;
        } else if (c != '.' || !algumDigito) {
            break;
        }
    }
    if (i < fim && texto[i] == ',') {
        for (++i; i < fim && EhDigito(texto[i]); ++i) {
            d.digitos += texto[i];
            ++decimais;
            algumDigito = true;
        }
    }
    if (!algumDigito) TipoIncompativel();
    int expoente = 0;
    if (i < fim && (texto[i] == 'E' || texto[i] == 'e' || texto[i] == 'D' || texto[i] == 'd')) {
        ++i;
        bool negativo = false;
        if (i < fim && (texto[i] == '+' || texto[i] == '-')) negativo = texto[i++] == '-';
        if (i >= fim || !EhDigito(texto[i])) TipoIncompativel();
        expoente = LeExpoente(texto, i, fim);
        if (negativo) expoente = -expoente;
    }
    if (i != fim) TipoIncompativel();
    d.expoente = expoente - decimais;
    Normaliza(d);
    return d;
}

// 15 significant digits of a double, as the default conversions use them.
Decimal DeDouble(double v) {
    if (!std::isfinite(v)) Estouro();
    Decimal d;
    if (v == 0) return d;
    d.negativo = v < 0;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));  // d.dddddddddddddde+XX
    std::string t(buf);
    std::size_t e = t.find('e');
    d.digitos = t.substr(0, 1) + t.substr(2, e - 2);
    d.expoente = std::atoi(t.c_str() + e + 1) - 14;
    Normaliza(d);
    return d;
}

Decimal DeDinheiro(Dinheiro v) {
    Decimal d;
    std::int64_t bruto = v.dezMilesimos();
    d.negativo = bruto < 0;
    std::uint64_t modulo = bruto < 0 ? 0 - static_cast<std::uint64_t>(bruto)
                                     : static_cast<std::uint64_t>(bruto);
    d.digitos = std::to_string(modulo);
    d.expoente = -4;
    Normaliza(d);
    return d;
}

// ---- Patterns ----

struct Padrao {
    std::string prefixo, sufixo;
    bool temDigitos = false;
    int minInteiro = 0;  // whole-part digits always shown
    bool agrupa = false;
    bool temPonto = false;
    int minDecimal = 0;  // decimals always shown
    int maxDecimal = 0;  // decimals shown at most (the rounding point)
};

bool EhMarcador(char c) { return c == '0' || c == '#' || c == '.'; }

Padrao AnalisaPadrao(const std::string& p) {
    Padrao r;
    std::size_t inicio = 0;
    while (inicio < p.size() && !EhMarcador(p[inicio])) ++inicio;
    if (inicio == p.size()) {
        r.prefixo = p;
        return r;
    }
    std::size_t fim = p.size();
    while (!EhMarcador(p[fim - 1])) --fim;
    r.temDigitos = true;
    r.prefixo = p.substr(0, inicio);
    r.sufixo = p.substr(fim);
    bool zeroVisto = false;
    for (std::size_t i = inicio; i < fim; ++i) {
        char c = p[i];
        if (!r.temPonto) {
            if (c == '.') {
                r.temPonto = true;
            } else if (c == ',') {
                r.agrupa = true;
            } else if (c == '0' || c == '#') {
                // From the first "0" on, every whole-part placeholder is shown.
                if (c == '0') zeroVisto = true;
                if (zeroVisto) ++r.minInteiro;
            }
        } else if (c == '0') {
            r.minDecimal = ++r.maxDecimal;
        } else if (c == '#') {
            ++r.maxDecimal;
        }
    }
    return r;
}

std::string Agrupa(const std::string& inteiro) {
    std::string r;
    const std::size_t n = inteiro.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) r += '.';
        r += inteiro[i];
    }
    return r;
}

std::string AplicaPadrao(Decimal d, const std::string& padraoTexto) {
    Padrao p = AnalisaPadrao(padraoTexto);
    if (!p.temDigitos) return p.prefixo;
    Arredonda(d, p.maxDecimal, Metade::LongeDoZero);
    std::string inteiro, fracao;
    Partes(d, inteiro, fracao);
    if (static_cast<int>(inteiro.size()) < p.minInteiro)
        inteiro.insert(0, p.minInteiro - inteiro.size(), '0');
    if (p.agrupa) inteiro = Agrupa(inteiro);
    fracao.resize(p.maxDecimal, '0');
    while (static_cast<int>(fracao.size()) > p.minDecimal && fracao.back() == '0') fracao.pop_back();
    std::string r = d.negativo && !d.zero() ? "-" : "";
    r += p.prefixo;
    r += inteiro;
    if (p.temPonto) r += ',' + fracao;
    r += p.sufixo;
    return r;
}

std::string TextoFixo(const Decimal& d) {
    if (d.zero()) return "0";
    std::string inteiro, fracao;
    Partes(d, inteiro, fracao);
    std::string r = d.negativo ? "-" : "";
    r += inteiro.empty() ? "0" : inteiro;
    if (!fracao.empty()) r += ',' + fracao;
    return r;
}

std::string DoisDigitos(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

std::string QuatroDigitos(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", v);
    return buf;
}

}  // namespace

// ---- Text to number ----

Dinheiro LeDinheiro(const std::string& texto) {
    Decimal d = LeRegional(texto);
    Arredonda(d, 4, Metade::ParaPar);
    d.expoente += 4;  // now a count of ten-thousandths
    __int128 v;
    if (!ParaInt128(d, v) || v > std::numeric_limits<std::int64_t>::max() ||
        v < std::numeric_limits<std::int64_t>::min())
        Estouro();
    return Dinheiro::deDezMilesimos(static_cast<std::int64_t>(v));
}

double LeNumero(const std::string& texto) { return ParaDouble(LeRegional(texto)); }

std::int32_t ParaInteiro32(const std::string& texto) {
    Decimal d = LeRegional(texto);
    Arredonda(d, 0, Metade::ParaPar);
    __int128 v;
    if (!ParaInt128(d, v) || v > std::numeric_limits<std::int32_t>::max() ||
        v < std::numeric_limits<std::int32_t>::min())
        Estouro();
    return static_cast<std::int32_t>(v);
}

double ValorInicial(const std::string& texto) {
    auto branco = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    const std::size_t fim = texto.size();
    std::size_t i = 0;
    auto pula = [&] {
        while (i < fim && branco(texto[i])) ++i;
    };
    Decimal d;
    pula();
    if (i < fim && (texto[i] == '+' || texto[i] == '-')) {
        d.negativo = texto[i++] == '-';
        pula();
    }
    int decimais = 0;
    bool ponto = false;
    bool algumDigito = false;
    while (i < fim) {
        char c = texto[i];
        if (EhDigito(c)) {
            d.digitos += c;
            algumDigito = true;
            if (ponto) ++decimais;
        } else if (c == '.' && !ponto) {
            ponto = true;
        } else {
            break;
        }
        ++i;
        pula();
    }
    if (!algumDigito) return 0.0;
    int expoente = 0;
    if (i < fim && (texto[i] == 'E' || texto[i] == 'e' || texto[i] == 'D' || texto[i] == 'd')) {
        // Taken only when digits follow; otherwise the number ends before it.
        std::size_t j = i + 1;
        while (j < fim && branco(texto[j])) ++j;
        bool negativo = false;
        if (j < fim && (texto[j] == '+' || texto[j] == '-')) negativo = texto[j++] == '-';
        while (j < fim && branco(texto[j])) ++j;
        if (j < fim && EhDigito(texto[j])) {
            long valor = 0;
            for (; j < fim && (EhDigito(texto[j]) || branco(texto[j])); ++j)
                if (EhDigito(texto[j]) && valor < 1000000) valor = valor * 10 + (texto[j] - '0');
            expoente = static_cast<int>(negativo ? -valor : valor);
        }
    }
    d.expoente = expoente - decimais;
    Normaliza(d);
    return ParaDouble(d);
}

std::int16_t ParaInteiro16(const std::string& texto) { return ParaInteiro16(ValorInicial(texto)); }

std::int16_t ParaInteiro16(double valor) {
    double r = ArredondaPar(valor);
    if (!(r >= -32768.0 && r <= 32767.0)) Estouro();
    return static_cast<std::int16_t>(r);
}

std::int32_t ParaInteiro32(double valor) {
    double r = ArredondaPar(valor);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) Estouro();
    return static_cast<std::int32_t>(r);
}

// ---- Number to text ----

std::string Formata(Dinheiro valor, const std::string& padrao) {
    return AplicaPadrao(DeDinheiro(valor), padrao);
}

std::string Formata(double valor, const std::string& padrao) {
    return AplicaPadrao(DeDouble(valor), padrao);
}

std::string TextoPadrao(Dinheiro valor) { return TextoFixo(DeDinheiro(valor)); }

std::string TextoPadrao(double valor) {
    Decimal d = DeDouble(valor);
    if (d.zero()) return "0";
    // Exponent of the first significant digit.
    const int x = static_cast<int>(d.digitos.size()) - 1 + d.expoente;
    if (x >= -4 && x < 15) return TextoFixo(d);
    std::string r = d.negativo ? "-" : "";
    r += d.digitos[0];
    if (d.digitos.size() > 1) r += ',' + d.digitos.substr(1);
    r += x < 0 ? "E-" : "E+";
    r += DoisDigitos(x < 0 ? -x : x);
    return r;
}

// ---- Dates and times ----

std::string DataAAAAMMDD(const DataHora& d) {
    return QuatroDigitos(d.ano) + "/" + DoisDigitos(d.mes) + "/" + DoisDigitos(d.dia);
}

std::string DataDDMMAAAA(const DataHora& d) {
    return DoisDigitos(d.dia) + "/" + DoisDigitos(d.mes) + "/" + QuatroDigitos(d.ano);
}

std::string HoraTexto(const DataHora& d) {
    return DoisDigitos(d.hora) + ":" + DoisDigitos(d.minuto) + ":" + DoisDigitos(d.segundo);
}

std::string DataHoraAAAAMMDD(const DataHora& d) { return DataAAAAMMDD(d) + " " + HoraTexto(d); }

}  // namespace varelo
