#pragma once
#include <functional>
#include <string>
#include <vector>

#include "printing/printer_state.h"

namespace varelo {

// A printing system made of folders, for the demo, dry runs and tests:
// every subfolder of the root is a printer named as the folder. Each ended
// document becomes the next NNNNNN.txt of its printer's folder (the printed
// lines in UTF-8, each followed by "\n", written under a temporary name and
// renamed), with NNNNNN.font beside it holding the font name, size and bold
// that were current, one per line. A printer's fonts are the lines of its
// fonts.txt when present, else the machine's font families.
class ImpressoraSpool final : public ImpressoraComEstado {
public:
    using Familias = std::function<std::vector<std::string>()>;
    explicit ImpressoraSpool(std::string raiz, Familias familiasDaMaquina = {});

    std::vector<std::string> impressoras() override;
    void selecionaImpressora(const std::string& nome) override;
    int quantidadeFontes() override;
    std::string fonte(int indice) override;
    // A printer's folder is there or it is not.
    std::optional<EstadoImpressora> estado(const std::string& nome) override;

private:
    bool entrega(const std::vector<std::string>& linhas, std::string& erro) override;
    std::vector<std::string> fontes();

    std::string raiz_;
    Familias familias_;
};

}  // namespace varelo
