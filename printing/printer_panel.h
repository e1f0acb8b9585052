#pragma once
#include <optional>
#include <string>
#include <vector>

#include "printing/escpos.h"

namespace varelo {

class Banco;

// The printers the window's panel shows, each once and in name order: those
// the product groups print on (kitchen, second kitchen, delivery), the
// bill's (`impCupom`) and those [Impressoras] configures, backups included.
// A blank name, "Não Imprimir" and "Etiqueta" (labels, which go to their
// own port) are no printers.
std::vector<std::string> ImpressorasDoPainel(Banco& banco, const std::string& impCupom,
                                             const ImpressorasConfiguradas& configuradas);

// One line of the panel: the name and the state as people read it; a
// printer not told yet is "verificando".
std::string LinhaDoPainel(const std::string& nome, std::optional<EstadoImpressora> estado);

}  // namespace varelo
