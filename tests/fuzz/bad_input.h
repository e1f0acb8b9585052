#pragma once
// Seeded random input for the bad-input suite. Every test draws from a
// generator built from a fixed seed, and each case reports its seed and
// iteration, so a failure is replayed by running the same test again.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace varelo::ruim {

class Gerador {
public:
    explicit Gerador(std::uint64_t semente) : semente_(semente), motor_(semente) {}

    std::uint64_t semente() const { return semente_; }

    // A whole number in [de, ate].
    std::size_t entre(std::size_t de, std::size_t ate) {
        return std::uniform_int_distribution<std::size_t>(de, ate)(motor_);
    }
    bool chance(int porCento) { return entre(1, 100) <= static_cast<std::size_t>(porCento); }

    template <typename T>
    const T& um(const std::vector<T>& opcoes) {
        return opcoes[entre(0, opcoes.size() - 1)];
    }

    // Any bytes at all, NUL included.
    std::string bytes(std::size_t n) {
        std::string s(n, '\0');
        for (char& c : s) c = static_cast<char>(entre(0, 255));
        return s;
    }

    // Bytes biased towards what a record line is made of: separators,
    // apostrophes, spaces, digits, commas and points, line ends and high bytes.
    std::string bytesDeRegistro(std::size_t n) {
        static const std::string kEspeciais = ";;;;''' ,.\r\n\t\\\"0123456789-+eE";
        std::string s;
        s.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            if (chance(40))
                s += kEspeciais[entre(0, kEspeciais.size() - 1)];
            else
                s += static_cast<char>(entre(0, 255));
        }
        return s;
    }

    // Printable Windows-1252 bytes: 0x20-0x7E and the defined high bytes,
    // so that the text is valid in the handhelds' encoding.
    std::string textoCp1252(std::size_t n) {
        std::string s;
        s.reserve(n);
        while (s.size() < n) {
            const auto c = static_cast<unsigned char>(entre(0x20, 0xFF));
            if (c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) continue;
            s += static_cast<char>(c);
        }
        return s;
    }

private:
    std::uint64_t semente_;
    std::mt19937_64 motor_;
};

// Texts that have broken record parsers and SQL statements elsewhere, in
// Windows-1252 bytes.
inline const std::vector<std::string>& TextosHostis() {
    static const std::vector<std::string> kTextos = {
        "1'; drop table Logs; --",
        "'; drop table ItemComanda; --",
        "\\",
        "\\\\",
        "\\'",
        "'\\",
        "\\';",
        "'",
        "''",
        "'''",
        "\"",
        "\"\"; delete from Comanda; --",
        "%",
        "_%",
        "1 or 1=1",
        "1) or (1=1",
        "0x41",
        "--",
        "/*",
        "*/",
        "#",
        "`",
        "1e400",
        "-1e400",
        "1E+308",
        "NaN",
        "inf",
        "-0",
        "+",
        "-",
        ",",
        ".",
        "1,2,3",
        "1.2.3",
        "99999999999999999999999999",
        "-99999999999999999999999999",
        "2147483648",
        "-2147483649",
        "32768",
        "9223372036854775808",
        "0,00005",
        "Feijoada \xC7\xE3o",   // Windows-1252 "Ção"
        "\x80\x99\x9F\xFF",     // euro, quote, Y diaeresis, y diaeresis
        "\xC3\xA7\xC3\xA3",     // UTF-8 bytes, read as Windows-1252
        "\xEF\xBF\xBD",         // UTF-8 replacement character's bytes
        "\x81\x8D\x8F\x90\x9D", // undefined in Windows-1252
        std::string("a\0b", 3),
        std::string(1, '\0'),
        "\x01\x02\x1B[0m",
        "\x7F",
        "\t",
        "   ",
        "\xA0",
        std::string(300, 'x'),
        std::string(61, 'y'),
        std::string(1200, '\''),
    };
    return kTextos;
}

// "seed S, iteration I": where a failing case comes from.
inline std::string Origem(const Gerador& g, std::size_t iteracao) {
    return "seed " + std::to_string(g.semente()) + ", iteration " + std::to_string(iteracao);
}

}  // namespace varelo::ruim
