#pragma once
#include <string>
#include <vector>

namespace varelo {

struct Contexto;
class Banco;
class ListaEventos;

// A printed document, composed whole before anything of it reaches the
// printing system: a failure while it is composed discards it, and no
// document ever holds lines of another.
struct Documento {
    // The font on top of the kitchen font that selecting the printer
    // applies: none, the bill font, or the kitchen font again but only when
    // the printer has it installed.
    enum class Fonte { Cozinha, Conta, CozinhaSeInstalada };

    std::string impressora;  // device name, selected with DefineImpressora
    Fonte fonte = Fonte::Cozinha;
    // Each entry is one output call (CR LF inside it starts new lines).
    std::vector<std::string> linhas;
};

// The first line of a document that may already be on paper: it was handed
// to the printer before, and what says so was never committed.
inline constexpr const char* kReimpressao = "*** REIMPRESSAO ***";

// Selects the document's printer and font, prints its lines and ends it.
// False, with the reason in `motivo`, when the printing system refused it;
// nothing of it is then left in the printing system.
bool Entrega(Contexto& ctx, const Documento& documento, std::string& motivo);

// After a print that failed half-way: the three result sets are released,
// with the two event lines that say so.
void FechaBancosAposImpressao(ListaEventos& eventos, Banco& banco);

}  // namespace varelo
