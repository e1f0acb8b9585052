#include "transactions/inclusion_journal.h"

#include <algorithm>

#include "base/errors.h"
#include "base/files.h"

namespace varelo {
namespace {

// Fields are separated by tabs and entries by line breaks, so those (and
// the escape itself) are written as %XX.
std::string Codifica(const std::string& texto) {
    std::string saida;
    for (char c : texto) {
        if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
            static const char kHex[] = "0123456789ABCDEF";
            const auto b = static_cast<unsigned char>(c);
            saida += '%';
            saida += kHex[b >> 4];
            saida += kHex[b & 15];
        } else {
            saida += c;
        }
    }
    return saida;
}

int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Decodifica(const std::string& texto) {
    std::string saida;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        if (texto[i] == '%' && i + 2 < texto.size() && Hex(texto[i + 1]) >= 0 && Hex(texto[i + 2]) >= 0) {
            saida += static_cast<char>(Hex(texto[i + 1]) * 16 + Hex(texto[i + 2]));
            i += 2;
        } else {
            saida += texto[i];
        }
    }
    return saida;
}

std::vector<std::string> Divide(const std::string& texto, char separador) {
    std::vector<std::string> partes(1);
    for (char c : texto) {
        if (c == separador) partes.emplace_back();
        else partes.back() += c;
    }
    return partes;
}

}  // namespace

DiarioInclusoes::DiarioInclusoes(Arquivos& arquivos, std::string caminho)
    : arquivos_(arquivos), caminho_(std::move(caminho)) {
    if (arquivos_.carimbo(caminho_).empty()) return;
    for (const std::string& linha : Divide(arquivos_.le(caminho_), '\n')) {
        const auto campos = Divide(linha, '\t');
        // A line cut short by a crash while it was written is not an entry.
        if (campos.size() != 4) continue;
        entradas_.push_back({Decodifica(campos[0]), Decodifica(campos[1]), Decodifica(campos[2]),
                             Decodifica(campos[3])});
    }
}

std::optional<DiarioInclusoes::Entrada> DiarioInclusoes::procura(const std::string& caminho,
                                                                 const std::string& carimbo,
                                                                 const std::string& conteudo) const {
    for (const Entrada& e : entradas_)
        if (e.caminho == caminho && e.carimbo == carimbo && e.conteudo == conteudo) return e;
    return std::nullopt;
}

void DiarioInclusoes::acrescenta(const Entrada& entrada) {
    entradas_.push_back(entrada);
    grava();
}

void DiarioInclusoes::esquece(const std::string& caminho) {
    const auto antes = entradas_.size();
    std::erase_if(entradas_, [&](const Entrada& e) { return e.caminho == caminho; });
    if (entradas_.size() != antes) grava();
}

void DiarioInclusoes::reconcilia() {
    const auto antes = entradas_.size();
    std::erase_if(entradas_, [&](const Entrada& e) { return arquivos_.carimbo(e.caminho) != e.carimbo; });
    if (entradas_.size() != antes) grava();
}

void DiarioInclusoes::grava() {
    std::string texto;
    for (const Entrada& e : entradas_)
        texto += Codifica(e.caminho) + "\t" + Codifica(e.carimbo) + "\t" + Codifica(e.conteudo) + "\t" +
                 Codifica(e.idlanc) + "\n";
    arquivos_.gravaDuravel(caminho_, texto);
}

}  // namespace varelo
