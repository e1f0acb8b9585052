#pragma once
// What a run of a scenario left behind, and the invariants that a run under
// a fault must keep against the same scenario run without one.
#include <map>
#include <string>
#include <vector>

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

Veredito Compara(const Resultado& referencia, const Resultado& sobFalha);

// The breaches of a run without faults that make it useless as a reference.
Linhas ProblemasDaReferencia(const Resultado& referencia);

}  // namespace varelo::falhas
