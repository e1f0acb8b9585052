#include "tests/support/scratch_dir.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "base/files.h"

namespace varelo {

namespace fs = std::filesystem;

PastaTemporaria::PastaTemporaria() {
    std::string modelo = (fs::temp_directory_path() / "varelo-teste-XXXXXX").string();
    if (::mkdtemp(modelo.data()) == nullptr)
        throw std::runtime_error("não foi possível criar a pasta temporária " + modelo);
    caminho_ = modelo;
}

PastaTemporaria::~PastaTemporaria() {
    std::error_code ec;
    // Tests may have removed permissions to provoke failures; give them back
    // so the folder can be emptied.
    fs::permissions(caminho_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(caminho_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        std::error_code ignorado;
        if (it->is_directory(ignorado))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignorado);
    }
    fs::remove_all(caminho_, ec);
}

std::string PastaTemporaria::arquivo(const std::string& nome) const { return (fs::path(caminho_) / nome).string(); }

std::string PastaTemporaria::escreve(const std::string& nome, const std::string& bytes) const {
    const std::string p = arquivo(nome);
    ArquivosDisco().grava(p, bytes);
    return p;
}

std::string PastaTemporaria::le(const std::string& nome) const { return ArquivosDisco().le(arquivo(nome)); }

}  // namespace varelo
