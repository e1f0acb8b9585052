#pragma once
#include <array>
#include <string>

namespace varelo {

class Arquivos;
class Relogio;

// The records that handhelds drop into the monitored folder: one line of
// ";"-separated fields, in Windows-1252.

// The first line of a request file as UTF-8 text: everything up to the
// first CR (a lone LF does not end the line). A file that is missing,
// cannot be read or is empty is tried again after a one-second wait, five
// attempts in all, each failed attempt followed by the wait; then "" comes
// back. Never throws.
std::string LeArquivo(Arquivos& arquivos, Relogio& relogio, const std::string& caminho);

// Splits a record line into the eight fields of `a` (indices 0 to 7; the
// caller's table is expected to be empty, entries the line does not reach are
// left as they are). A field may be enclosed in apostrophes and then hold
// ";". Only the last field is trimmed, of spaces only. Any field holding an
// apostrophe loses its first and last character (a one-character field
// becomes empty).
// Throws Erro for a ninth field ("Subscrito fora do intervalo") and for a
// field opened by an apostrophe that no later apostrophe closes; the fields
// before the failure are already filled.
void ParseToArrayPvirg(const std::string& sLine, std::array<std::string, 8>& a);

// Every "," replaced by "." (regional number text to SQL text).
std::string VirgulaParaPonto(const std::string& texto);
// Every "." replaced by "," (a handheld's price to regional number text).
std::string PontoParaVirgula(const std::string& texto);

}  // namespace varelo
