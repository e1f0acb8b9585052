#pragma once
#include <string>

namespace varelo {

class Arquivos;
struct Contexto;

// The handhelds' replies, written into the monitored folder.
void GravaOK(Contexto& ctx, const std::string& n);    // okComanda<n>.txt: "ok"
void GravaErro(Contexto& ctx, const std::string& n);  // erro<n>.txt: "erro"

// Deletes a handled file, falling back to closing a network client's handle
// on it; at most five deletion attempts in all. Switches Timer1 on.
// Always returns false; callers do not rely on it.
bool ApagaArquivo(Contexto& ctx, const std::string& tNome);

// True when the path (one trailing separator removed) is a file that can be
// opened for reading.
bool ArquivoExiste(Arquivos& arquivos, const std::string& caminho);

}  // namespace varelo
