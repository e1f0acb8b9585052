#include "base/money.h"

#include <cmath>
#include <limits>

#include "base/errors.h"

namespace varelo {

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

[[noreturn]] void Estouro() { throw Erro("Estouro"); }

// n / d rounded to the nearest integer, halves to even; d > 0.
__int128 DivideArredondandoPar(__int128 n, __int128 d) {
    __int128 q = n / d;
    __int128 r = n % d;  // same sign as n
    __int128 sinal = n < 0 ? -1 : 1;
    __int128 dobro = (r < 0 ? -r : r) * 2;
    if (dobro > d || (dobro == d && (q % 2) != 0)) q += sinal;
    return q;
}

std::int64_t Cabe(__int128 v) {
    if (v > kMax || v < kMin) Estouro();
    return static_cast<std::int64_t>(v);
}

}  // namespace

double ArredondaPar(double valor) {
    if (!std::isfinite(valor)) return valor;
    double piso = std::floor(valor);
    double resto = valor - piso;
    if (resto > 0.5) return piso + 1;
    if (resto < 0.5) return piso;
    return std::fmod(piso, 2.0) == 0 ? piso : piso + 1;
}

Dinheiro Dinheiro::deUnidades(std::int64_t unidades) {
    return Dinheiro(Cabe(static_cast<__int128>(unidades) * kEscala));
}

Dinheiro Dinheiro::deDouble(double valor) {
    // The scaling is done in double, as the Currency conversion does; the
    // rounding of the product then decides the last decimal.
    double escalado = ArredondaPar(valor * kEscala);
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double kLimite = 9223372036854775808.0;
    if (!std::isfinite(escalado) || escalado >= kLimite || escalado < -kLimite) Estouro();
    return Dinheiro(static_cast<std::int64_t>(escalado));
}

Dinheiro Dinheiro::arredonda(int casas) const {
    if (casas < 0) throw Erro("Argumento inválido: número de casas decimais negativo");
    if (casas >= 4) return *this;
    std::int64_t divisor = 1;
    for (int i = casas; i < 4; ++i) divisor *= 10;
    __int128 q = DivideArredondandoPar(v_, divisor);
    return Dinheiro(Cabe(q * divisor));
}

Dinheiro Dinheiro::operator-() const {
    if (v_ == kMin) Estouro();
    return Dinheiro(-v_);
}

Dinheiro& Dinheiro::operator+=(Dinheiro o) {
    if (__builtin_add_overflow(v_, o.v_, &v_)) Estouro();
    return *this;
}

Dinheiro& Dinheiro::operator-=(Dinheiro o) {
    if (__builtin_sub_overflow(v_, o.v_, &v_)) Estouro();
    return *this;
}

Dinheiro operator*(Dinheiro a, Dinheiro b) {
    __int128 produto = static_cast<__int128>(a.v_) * b.v_;
    return Dinheiro(Cabe(DivideArredondandoPar(produto, Dinheiro::kEscala)));
}

double operator/(Dinheiro a, Dinheiro b) {
    if (b.v_ == 0) throw Erro("Divisão por zero");
    return static_cast<double>(a.v_) / static_cast<double>(b.v_);
}

}  // namespace varelo
