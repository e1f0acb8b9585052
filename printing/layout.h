#pragma once
#include <cstdint>
#include <string>

namespace varelo {

struct Contexto;

// Makes the printer of that device name current (exact, case-sensitive
// match; no match leaves the current printer) and applies the kitchen font,
// installed or not. A failure is logged with "Erro definindo a Impressora
// padrão!" and swallowed: the caller prints on whatever printer is current.
void DefineImpressora(Contexto& ctx, const std::string& NomeImp);

// The kitchen font, applied only when the current printer has it installed.
void FonteCozinha(Contexto& ctx);
// The bill font "Larabiefont" at 8 points in bold, when it is installed.
void FonteConta(Contexto& ctx);

// Left-pads `texto` so that it stands centred in `largura` columns. The width
// is halved in place (halves to even), so callers pass a fresh value each time;
// a text longer than the width comes back unchanged and the width untouched.
std::string Centraliza(const std::string& texto, std::int16_t& largura);

// Prints a print file dropped by a handheld: its first line names the
// printer, the other lines are printed as they stand. The file is removed
// afterwards, also when it could not be read; a file of at most 10 bytes is
// reported empty and left for the scan to remove. A file the printer
// refused stays for the next scan, and the call returns false.
bool ImprimeDiverso(Contexto& ctx, const std::string& ArqImp);

}  // namespace varelo
