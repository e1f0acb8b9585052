#pragma once
#include <optional>
#include <string>
#include <vector>

namespace varelo {

class Arquivos;

// The inclusions whose item is committed while their request file may still
// be in the monitored folder: the program was stopped between the commit
// and the removal of the file, or the file could not be deleted. Each entry
// is written to the disk just before its commit and forgotten once its file
// is gone, so a request found again is answered without a second item, and
// a later request of the same name is never taken for it.
//
// A request is known by its path, the file's stamp (size, time, file
// number: a file written again under the same name is another request) and
// its content. The item's key tells whether the commit happened.
class DiarioInclusoes {
public:
    struct Entrada {
        std::string caminho;
        std::string carimbo;
        std::string conteudo;
        std::string idlanc;
    };

    // The journal in the file `caminho`; a missing file is an empty journal.
    DiarioInclusoes(Arquivos& arquivos, std::string caminho);

    std::optional<Entrada> procura(const std::string& caminho, const std::string& carimbo,
                                   const std::string& conteudo) const;
    // Written to the disk before it returns. Throws Erro.
    void acrescenta(const Entrada& entrada);
    // Forgets the entries of the request at `caminho`.
    void esquece(const std::string& caminho);
    // Forgets the entries whose file is gone or was written again since.
    void reconcilia();

private:
    void grava();

    Arquivos& arquivos_;
    std::string caminho_;
    std::vector<Entrada> entradas_;
};

}  // namespace varelo
