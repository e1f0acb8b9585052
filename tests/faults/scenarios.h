#pragma once
// The scenarios that the fault-point harness runs, as data: the state the
// database starts from, the request files the handhelds drop, and what the
// operator and the clock do.
#include <string>
#include <utility>
#include <vector>

namespace varelo::falhas {

enum class Acao {
    Inicio,     // the start-up timer: clean-up and every export
    Tique,      // one tick of the monitor timer
    Atualizar,  // the "Atualizar Palms" button
    Consumos,   // the "Exporta Consumos" button
};

struct Cenario {
    std::string nome;
    // Statements run before: open comandas and items, requests that other
    // clients queue in the database.
    std::vector<std::string> sql;
    // Request files in the monitored folder: name and content.
    std::vector<std::pair<std::string, std::string>> pedidos;
    std::vector<Acao> acoes;
    int autoRecebFinal = 0;
};

// Every request kind, the tablet requests, the background checks, the
// start-up exports and both buttons. Markers in the remarks ("r1", "k1",
// "d1", ...) let each item be followed onto paper.
std::vector<Cenario> Cenarios();

// The real program killed: inclusions, a table's tickets with a copy, a
// bill and a prepared print in one folder (no labels: the port keeps only
// the last one written).
Cenario CenarioDeMorte();

// The statements that bring the working tables back to the catalog alone.
std::vector<std::string> Limpeza();

}  // namespace varelo::falhas
