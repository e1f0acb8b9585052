#pragma once
#include <functional>
#include <string>
#include <vector>

#include "base/printing_system.h"

namespace varelo {

// A printing system made of folders, for the demo, dry runs and tests:
// every subfolder of the root is a printer named as the folder. Each ended
// document becomes the next NNNNNN.txt of its printer's folder (the printed
// lines in UTF-8, each followed by "\n", written under a temporary name and
// renamed), with NNNNNN.font beside it holding the font name, size and bold
// that were current, one per line. A printer's fonts are the lines of its
// fonts.txt when present, else the machine's font families.
class ImpressoraSpool final : public SistemaImpressao {
public:
    using Familias = std::function<std::vector<std::string>()>;
    explicit ImpressoraSpool(std::string raiz, Familias familiasDaMaquina = {});

    std::vector<std::string> impressoras() override;
    std::string impressoraAtual() const override { return atual_; }
    void selecionaImpressora(const std::string& nome) override;
    int quantidadeFontes() override;
    std::string fonte(int indice) override;
    std::string nomeFonte() const override { return fonte_; }
    void defineNomeFonte(const std::string& nome) override { fonte_ = nome; }
    float tamanhoFonte() const override { return tamanho_; }
    void defineTamanhoFonte(float pontos) override { tamanho_ = pontos; }
    bool negrito() const override { return negrito_; }
    void defineNegrito(bool ligado) override { negrito_ = ligado; }
    void imprime(const std::string& texto) override;
    bool terminaDocumento() override;
    void descartaDocumento() override {
        documento_.clear();
        temDocumento_ = false;
    }
    std::string ultimoErro() const override { return erro_; }

private:
    std::vector<std::string> fontes();

    std::string raiz_;
    Familias familias_;
    std::string atual_;
    std::string fonte_ = "Courier New";
    float tamanho_ = 10;
    bool negrito_ = false;
    std::string documento_;
    bool temDocumento_ = false;
    std::string erro_;
};

}  // namespace varelo
