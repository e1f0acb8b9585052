#pragma once
#include <cstddef>
#include <string>

namespace varelo {

// Fixed-column text as the statements and the bill lay it out. Texts are
// UTF-8 and widths count characters, not bytes, so "Feijoada Ção" is 12
// wide whatever its encoding in the file will be.

// Number of characters of a UTF-8 text.
std::size_t Largura(const std::string& texto);
// The first `n` characters.
std::string Esquerda(const std::string& texto, std::size_t n);
// Upper case as the desktop does it for the Western code page: the ASCII
// letters, the accented Latin-1 letters (à..þ, ÿ) and š, œ, ž; everything
// else stays as it is.
std::string Maiusculas(const std::string& texto);
// Leading and trailing spaces removed (spaces only, as the record format trims).
std::string Apara(const std::string& texto);
// `texto` followed by spaces up to `largura` characters; a longer text stays whole.
std::string CompletaAte(const std::string& texto, std::size_t largura);
// `texto` preceded by spaces up to `largura` characters (right-aligned); a
// longer text stays whole, so no digit is ever cut.
std::string Pad(const std::string& texto, std::size_t largura);
// `rotulo` and then `valor` right-aligned so that the line is `largura`
// characters; when both do not fit the value follows the label directly.
std::string LinhaAlinhada(const std::string& rotulo, const std::string& valor, std::size_t largura);

}  // namespace varelo
