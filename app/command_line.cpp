#include "app/command_line.h"

namespace varelo {

OpcoesLinha LeOpcoes(const std::vector<std::string>& argumentos) {
    OpcoesLinha o;
    for (std::size_t i = 0; i < argumentos.size() && o.erro.empty(); ++i) {
        const std::string& a = argumentos[i];
        auto valor = [&](std::string& destino) {
            if (i + 1 >= argumentos.size() || argumentos[i + 1].empty())
                o.erro = a + " needs a folder";
            else
                destino = argumentos[++i];
        };
        if (a == "--home")
            valor(o.home);
        else if (a == "--print-to")
            valor(o.imprimePara);
        else if (a == "--headless")
            o.headless = true;
        else if (a == "--help" || a == "-h")
            o.ajuda = true;
        else if (a == "--version")
            o.versao = true;
        else
            o.erro = "unknown option: " + a;
    }
    return o;
}

std::string TextoAjuda() {
    return "Usage: varelosync [--home DIR] [--print-to DIR] [--headless]\n"
           "\n"
           "Synchronizer and print manager of the Varelo order system.\n"
           "\n"
           "  --home DIR      program folder holding config.ini and etiqueta.txt\n"
           "                  (default: the folder of the executable)\n"
           "  --print-to DIR  print into spool folders: each subfolder of DIR is a\n"
           "                  printer, each document a numbered .txt file\n"
           "                  (default: the system's printers through CUPS)\n"
           "  --headless      run without a window: event-list lines go to standard\n"
           "                  output, message boxes to standard error\n"
           "  --help          show this text\n"
           "  --version       show the version\n"
           "\n"
           "Exit status: 0 normal end, 1 bad command line, 2 refused on a terminal\n"
           "machine, 3 another copy is already running, 4 the database server tells\n"
           "table names apart by case (lower_case_table_names=0).\n";
}

}  // namespace varelo
