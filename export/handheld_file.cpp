#include "export/handheld_file.h"

#include "base/encoding.h"
#include "base/errors.h"
#include "base/files.h"

namespace varelo {

ArquivoPalm::ArquivoPalm(Arquivos& arquivos, std::string caminho)
    : arquivos_(arquivos), caminho_(std::move(caminho)) {}

void ArquivoPalm::linha(const std::string& texto) {
    conteudo_ += texto;
    conteudo_ += "\r\n";
}

void ArquivoPalm::fecha() {
    try {
        arquivos_.gravaAtomico(caminho_, ParaCp1252(conteudo_));
    } catch (const Erro& e) {
        throw ArquivoNaoGravado(e.what());
    }
}

}  // namespace varelo
