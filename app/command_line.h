#pragma once
#include <string>
#include <vector>

namespace varelo {

// What the command line asks for.
struct OpcoesLinha {
    std::string home;        // --home DIR: the program's folder (config.ini, etiqueta.txt)
    std::string imprimePara; // --print-to DIR: printers are the subfolders of DIR
    bool headless = false;   // --headless: no window; events to standard output
    bool ajuda = false;      // --help
    bool versao = false;     // --version
    std::string erro;        // set when the command line cannot be used
};

// Reads the arguments after the program's name.
OpcoesLinha LeOpcoes(const std::vector<std::string>& argumentos);

// The text of --help.
std::string TextoAjuda();

// Exit statuses of the program.
inline constexpr int kSaidaNormal = 0;
inline constexpr int kSaidaUso = 1;       // a command line that cannot be used
inline constexpr int kSaidaTerminal = 2;  // refused on a terminal machine
inline constexpr int kSaidaSegundaCopia = 3;
// The database server tells table names apart by case (lower_case_table_names=0).
inline constexpr int kSaidaServidorIncompativel = 4;

}  // namespace varelo
