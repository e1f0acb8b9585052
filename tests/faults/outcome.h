#pragma once
// What a run of a scenario left behind, and the invariants that a run under
// a fault must keep against the same scenario run without one.
#include <map>
#include <string>
#include <vector>

#include "tests/faults/injection.h"

namespace varelo {
struct ContextoTeste;
}

namespace varelo::falhas {

using Linhas = std::vector<std::string>;

struct Resultado {
    // Each printer's documents, oldest first, as the spool printer keeps
    // them; the label printer's are the writes to its port.
    std::map<std::string, Linhas> documentos;
    Linhas pedidosRestantes;                           // requests still in the folder, or set aside
    std::map<std::string, std::string> respostas;      // reply file -> content
    std::map<std::string, long> itensPorMarca;         // remark -> item rows, open or received
    std::map<std::string, long> historico;             // history rows by comanda, order and item
    std::map<std::string, std::string> arquivosPalm;   // the handhelds' files
    Linhas eventos;                                    // the event list, for the report
};

// What a run under a fault broke. Each list holds one line per breach.
struct Veredito {
    Linhas perdidos;   // a request unanswered, an item not launched or not on paper, a receipt missing
    Linhas dobrados;   // an item launched twice, printed twice without the repeat line, received twice
    Linhas rasgados;   // a document that is not whole, a handheld file not as a complete export
};

// With `reinicio` the run under the fault started the program again: the
// start-up removes the replies of the run before it (the handhelds have had
// them), and exports the comanda list anew, which the run without faults
// wrote before its bill; that list is then only checked to be whole.
Veredito Compara(const Resultado& referencia, const Resultado& sobFalha, bool reinicio = false);

// The fault points tried, and how many broke each kind of invariant.
struct Placar {
    long tentados = 0, perdidos = 0, dobrados = 0, rasgados = 0;
    // Counts one point; true when it broke something.
    bool conta(const Veredito& v);
};

// Prints what a fault point broke, with the end of the event list.
void Relata(const std::string& cenario, const Alvo& alvo, const Veredito& v, const Resultado& r);

// The kill points, on the real program (kill_points.cpp).
void RodaPontosDeMorte(Placar& placar, long& relatados);

// What a run left in the test's folders and database. `etiquetas` are the
// labels written to the label port, in order.
Resultado Colhe(ContextoTeste& t, const Linhas& etiquetas);

// The breaches of a run without faults that make it useless as a reference.
Linhas ProblemasDaReferencia(const Resultado& referencia);

}  // namespace varelo::falhas
