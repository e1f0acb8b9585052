#pragma once
#include <string>
#include <vector>

#include "base/printing_system.h"

namespace varelo {

// A printing system that hands everything to a real one; a test overrides
// the calls it wants to fail.
class ImpressaoDelegada : public SistemaImpressao {
public:
    explicit ImpressaoDelegada(SistemaImpressao& real) : real_(real) {}

    std::vector<std::string> impressoras() override { return real_.impressoras(); }
    std::string impressoraAtual() const override { return real_.impressoraAtual(); }
    void selecionaImpressora(const std::string& nome) override { real_.selecionaImpressora(nome); }
    int quantidadeFontes() override { return real_.quantidadeFontes(); }
    std::string fonte(int i) override { return real_.fonte(i); }
    std::string nomeFonte() const override { return real_.nomeFonte(); }
    void defineNomeFonte(const std::string& n) override { real_.defineNomeFonte(n); }
    float tamanhoFonte() const override { return real_.tamanhoFonte(); }
    void defineTamanhoFonte(float p) override { real_.defineTamanhoFonte(p); }
    bool negrito() const override { return real_.negrito(); }
    void defineNegrito(bool b) override { real_.defineNegrito(b); }
    void imprime(const std::string& texto) override { real_.imprime(texto); }
    bool terminaDocumento() override { return real_.terminaDocumento(); }
    void descartaDocumento() override { real_.descartaDocumento(); }
    std::string ultimoErro() const override { return real_.ultimoErro(); }
    std::string reservaUsada() const override { return real_.reservaUsada(); }
    std::optional<EstadoImpressora> estado(const std::string& n) override { return real_.estado(n); }
    int colunas(const std::string& n) override { return real_.colunas(n); }

protected:
    SistemaImpressao& real_;
};

}  // namespace varelo
