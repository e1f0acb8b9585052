#pragma once
#include <string>

namespace varelo {

struct Contexto;

// The catalog files that the handhelds load, each rebuilt from the
// database into the folder `PastaDest` (no trailing separator):
// "cadpro.txt", "atendentes.txt", "Comandas.txt", "cadqtde.txt" and
// "cadobs.txt". One record per line, fields separated by ";".
//
// A run-time failure ends the export with its description in the event
// list; the lines written before it stay in the file. A database failure
// is not handled here.
void ExportaProdutos(Contexto& ctx, const std::string& PastaDest);
void ExportaAtendentes(Contexto& ctx, const std::string& PastaDest);
void ExportaComandas(Contexto& ctx, const std::string& PastaDest);
void ExportaQtdes(Contexto& ctx, const std::string& PastaDest);
void ExportaObs(Contexto& ctx, const std::string& PastaDest);

}  // namespace varelo
