#pragma once
// Seeded random input for the bad-input suite. Every test draws from a
// generator built from a fixed seed, and each case reports its seed and
// iteration, so a failure is replayed by running the same test again.
#include <cstdint>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/case_file.h"

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

    // A file's content: any bytes, record-like bytes or hostile texts up to
    // `curto` bytes, or a huge record-like file of `de` to `ate` bytes.
    template <typename Hostil>
    std::string conteudo(std::size_t curto, std::size_t de, std::size_t ate, Hostil hostil) {
        switch (entre(0, 3)) {
            case 0: return bytes(entre(0, curto));
            case 1: return bytesDeRegistro(entre(0, curto));
            case 2: return hostil();
            default: return bytesDeRegistro(entre(de, ate));
        }
    }

private:
    std::uint64_t semente_;
    std::mt19937_64 motor_;
};

// Texts that have broken record parsers and SQL statements elsewhere, in
// Windows-1252 bytes (hostile.txt).
inline const std::vector<std::string>& TextosHostis() {
    static const std::vector<std::string> kTextos = [] {
        std::vector<std::string> textos;
        std::ifstream arquivo(casos::DoProjeto("tests/fuzz/hostile.txt"));
        for (std::string l; std::getline(arquivo, l);)
            if (l.empty() || l[0] != '#') textos.push_back(casos::Desescapa(l));
        if (textos.size() < 50) throw std::runtime_error("tests/fuzz/hostile.txt not read");
        return textos;
    }();
    return kTextos;
}

// "seed S, iteration I": where a failing case comes from.
inline std::string Origem(const Gerador& g, std::size_t iteracao) {
    return "seed " + std::to_string(g.semente()) + ", iteration " + std::to_string(iteracao);
}

}  // namespace varelo::ruim
