#pragma once
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace varelo {

class Arquivos;

// The documents handed to a printer whose marks (the columns that say they
// were printed) are not committed yet. Each document is known by keys of
// what it holds ("item:<idlanc>@<printer>", "conta:<comanda>", ...). A key
// is written to the disk before its document goes out and forgotten once
// the marks are committed or the printer refused the document. A key still
// here means the program stopped, or the database failed, between the
// hand-over and the commit: the document may be on paper, and printing it
// again must say so.
class DiarioImpressao {
public:
    // The journal in the file `caminho`; a missing file is an empty journal.
    DiarioImpressao(Arquivos& arquivos, std::string caminho);

    // True when one of the keys may already be on paper.
    bool pendente(const std::vector<std::string>& chaves) const;
    // Before the hand-over: on the disk when it returns. Throws Erro.
    void entregando(const std::vector<std::string>& chaves);
    // After the commit, or a refusal. Throws Erro.
    void esquece(const std::vector<std::string>& chaves);
    // Forgets every key for which `vencida` is true. Throws Erro.
    void esqueceSe(const std::function<bool(const std::string&)>& vencida);

private:
    void grava();

    Arquivos& arquivos_;
    std::string caminho_;
    std::set<std::string> chaves_;
};

}  // namespace varelo
