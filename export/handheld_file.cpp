#include "export/handheld_file.h"

#include "app/activity_log.h"
#include "app/context.h"
#include "app/encoding.h"
#include "app/errors.h"
#include "app/files.h"

namespace varelo {

ArquivoPalm::ArquivoPalm(Contexto& ctx, std::string caminho)
    : ctx_(ctx), caminho_(std::move(caminho)) {}

ArquivoPalm::~ArquivoPalm() {
    if (fechado_) return;
    try {
        fecha();
    } catch (const std::exception& e) {
        AdicionaEvento(ctx_, e.what());
    }
}

void ArquivoPalm::linha(const std::string& texto) {
    conteudo_ += texto;
    conteudo_ += "\r\n";
}

void ArquivoPalm::fecha() {
    fechado_ = true;
    ctx_.arquivos.gravaAtomico(caminho_, ParaCp1252(conteudo_));
}

}  // namespace varelo
