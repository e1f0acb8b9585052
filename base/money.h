#pragma once
#include <compare>
#include <cstdint>

namespace varelo {

// Money and quantities: a signed 64-bit count of ten-thousandths, so every
// value has exactly four decimal places, like the Currency type of the
// order system's other programs.
//
// Rounding, chosen to match that type:
// - a double becomes money rounded to the nearest ten-thousandth, halves to
//   even (2.00005 -> 2.0000, 2.00015 -> 2.0002);
// - the product of two amounts is rounded the same way;
// - arredonda(n) rounds to n decimals, halves to even.
// Text formatting (app/regional.h) rounds halves away from zero instead, as
// the numeric patterns do.
//
// A result outside the 64-bit range throws Erro("Estouro").
class Dinheiro {
public:
    static constexpr std::int64_t kEscala = 10000;

    constexpr Dinheiro() = default;

    // Whole units: deUnidades(12) is 12,0000.
    static Dinheiro deUnidades(std::int64_t unidades);
    // The raw count: deDezMilesimos(15000) is 1,5.
    static constexpr Dinheiro deDezMilesimos(std::int64_t v) { return Dinheiro(v); }
    // Rounded to four decimals, halves to even. Throws Erro("Estouro") for a
    // value out of range, an infinity or a NaN.
    static Dinheiro deDouble(double valor);

    constexpr std::int64_t dezMilesimos() const { return v_; }
    double toDouble() const { return static_cast<double>(v_) / kEscala; }
    constexpr bool ehZero() const { return v_ == 0; }

    // Rounded to `casas` decimals (0 to 4), halves to even.
    Dinheiro arredonda(int casas) const;

    Dinheiro operator-() const;
    Dinheiro& operator+=(Dinheiro o);
    Dinheiro& operator-=(Dinheiro o);
    friend Dinheiro operator+(Dinheiro a, Dinheiro b) { return a += b; }
    friend Dinheiro operator-(Dinheiro a, Dinheiro b) { return a -= b; }
    // Exact product rounded to four decimals, halves to even.
    friend Dinheiro operator*(Dinheiro a, Dinheiro b);
    // Money divided by money gives a plain number (a ratio, or a share that
    // the caller turns back into money with deDouble). Dividing by zero
    // throws Erro("Divisão por zero").
    friend double operator/(Dinheiro a, Dinheiro b);

    friend constexpr bool operator==(Dinheiro, Dinheiro) = default;
    friend constexpr auto operator<=>(Dinheiro, Dinheiro) = default;

private:
    constexpr explicit Dinheiro(std::int64_t v) : v_(v) {}
    std::int64_t v_ = 0;
};

// Rounds to the nearest whole number, halves to even (2.5 -> 2, 3.5 -> 4).
double ArredondaPar(double valor);

}  // namespace varelo
