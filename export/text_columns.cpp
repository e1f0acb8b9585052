#include "export/text_columns.h"

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

}  // namespace varelo
