#include "base/text_columns.h"

namespace varelo {
namespace {

bool Continuacao(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::size_t Largura(const std::string& texto) {
    std::size_t n = 0;
    for (unsigned char c : texto)
        if (!Continuacao(c)) ++n;
    return n;
}

std::string Esquerda(const std::string& texto, std::size_t n) {
    std::size_t vistos = 0;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        if (Continuacao(static_cast<unsigned char>(texto[i]))) continue;
        if (vistos == n) return texto.substr(0, i);
        ++vistos;
    }
    return texto;
}

std::string Apara(const std::string& texto) {
    const std::size_t inicio = texto.find_first_not_of(' ');
    if (inicio == std::string::npos) return "";
    return texto.substr(inicio, texto.find_last_not_of(' ') - inicio + 1);
}

std::string CompletaAte(const std::string& texto, std::size_t largura) {
    const std::size_t n = Largura(texto);
    return n >= largura ? texto : texto + std::string(largura - n, ' ');
}

std::string Pad(const std::string& texto, std::size_t largura) {
    const std::size_t n = Largura(texto);
    return n >= largura ? texto : std::string(largura - n, ' ') + texto;
}

std::string LinhaAlinhada(const std::string& rotulo, const std::string& valor, std::size_t largura) {
    const std::size_t n = Largura(rotulo);
    return rotulo + Pad(valor, n >= largura ? 0 : largura - n);
}

std::string Maiusculas(const std::string& texto) {
    std::string saida;
    saida.reserve(texto.size());
    for (std::size_t i = 0; i < texto.size(); ++i) {
        const auto c = static_cast<unsigned char>(texto[i]);
        if (c >= 'a' && c <= 'z') {
            saida += static_cast<char>(c - 'a' + 'A');
            continue;
        }
        if (i + 1 < texto.size() && (c == 0xC3 || c == 0xC5)) {
            const auto d = static_cast<unsigned char>(texto[i + 1]);
            if (c == 0xC3 && d >= 0xA0 && d <= 0xBE && d != 0xB7) {
                saida += static_cast<char>(0xC3);
                saida += static_cast<char>(d - 0x20);
                ++i;
                continue;
            }
            if (c == 0xC3 && d == 0xBF) {  // ÿ -> Ÿ
                saida += "\xC5\xB8";
                ++i;
                continue;
            }
            if (c == 0xC5 && (d == 0xA1 || d == 0x93 || d == 0xBE)) {  // š œ ž
                saida += static_cast<char>(0xC5);
                saida += static_cast<char>(d - 1);
                ++i;
                continue;
            }
        }
        saida += static_cast<char>(c);
    }
    return saida;
}

}  // namespace varelo
