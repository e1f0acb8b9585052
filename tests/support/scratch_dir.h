#pragma once
#include <string>

namespace varelo {

// A folder of its own for one test, under the system's temporary folder,
// removed with everything in it when the object goes.
class PastaTemporaria {
public:
    PastaTemporaria();
    ~PastaTemporaria();
    PastaTemporaria(const PastaTemporaria&) = delete;
    PastaTemporaria& operator=(const PastaTemporaria&) = delete;

    const std::string& caminho() const { return caminho_; }
    // The path of `nome` inside the folder.
    std::string arquivo(const std::string& nome) const;
    // Writes raw bytes into `nome` (created or truncated) and returns its
    // path; the program's own disk, which throws Erro on a failure.
    std::string escreve(const std::string& nome, const std::string& bytes) const;
    // The raw bytes of `nome`; throws Erro when it cannot be read.
    std::string le(const std::string& nome) const;

private:
    std::string caminho_;
};

}  // namespace varelo
