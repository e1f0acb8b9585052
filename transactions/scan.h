#pragma once
#include <string>

namespace varelo {

struct Contexto;

// One scan of the monitored folder: every request file is handed to the
// procedure of its kind and removed, then the database checks run.
void VarreDirs(Contexto& ctx);

// The kind word of a request file's name ("INCLUSAO", "PRINTM", ...), in
// any letter case; empty for any other file.
std::string TipoDoPedido(const std::string& nome);

}  // namespace varelo
