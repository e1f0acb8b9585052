// Where a label is written for an ImpEtiqueta setting: the system's ports,
// or a path from the program's folder.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "printing/labels.h"

namespace varelo {
namespace {

TEST(CaminhoDaEtiqueta, PortasDoSistemaECaminhosDaPastaDoPrograma) {
    const std::vector<std::pair<std::string, std::string>> casos = {
        {"LPT1", "/dev/lp0"}, {"lpt2:", "/dev/lp1"}, {"LPT10", "/dev/lp9"}, {"COM1", "/dev/ttyS0"},
        {"Com3", "/dev/ttyS2"}, {"/dev/usb/lp0", "/dev/usb/lp0"}, {"etiquetas/fila", "/prog/etiquetas/fila"},
        // Not ports: taken as names in the program's folder.
        {"LPT0", "/prog/LPT0"}, {"LPTX", "/prog/LPTX"}, {"COM", "/prog/COM"}};
    for (const auto& [ajuste, caminho] : casos) EXPECT_EQ(CaminhoEtiqueta("/prog", ajuste), caminho) << ajuste;
}

}  // namespace
}  // namespace varelo
