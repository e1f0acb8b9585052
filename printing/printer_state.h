#pragma once
#include <functional>
#include <string>
#include <vector>

#include "base/printing_system.h"

namespace varelo {

// What every printing system keeps the same way: the current printer and
// font, the lines of the document being printed, the last error. Each
// printing system says how it finds printers and fonts and how it hands a
// whole document over.
class ImpressoraComEstado : public SistemaImpressao {
public:
    std::string impressoraAtual() const override { return atual_; }
    std::string nomeFonte() const override { return fonte_; }
    void defineNomeFonte(const std::string& nome) override { fonte_ = nome; }
    float tamanhoFonte() const override { return tamanho_; }
    void defineTamanhoFonte(float pontos) override { tamanho_ = pontos; }
    bool negrito() const override { return negrito_; }
    void defineNegrito(bool ligado) override { negrito_ = ligado; }
    // One line per LF of the text; the CR of a CR LF belongs to the break.
    void imprime(const std::string& texto) override;
    bool terminaDocumento() override;
    void descartaDocumento() override;
    std::string ultimoErro() const override { return erro_; }

    // The lines of the document being printed, as they will be handed over.
    const std::vector<std::string>& linhasPendentes() const { return linhas_; }

protected:
    explicit ImpressoraComEstado(std::string fontePadrao) : fonte_(std::move(fontePadrao)) {}
    // Hands a whole document to the current printer in the current font.
    // False, with the reason in `erro`, when it was not taken.
    virtual bool entrega(const std::vector<std::string>& linhas, std::string& erro) = 0;
    // Before a document's first line, when there is no current printer: a
    // printer installed since may become current.
    virtual void procuraImpressora() {}

    std::string atual_;
    std::string fonte_;
    float tamanho_ = 10;
    bool negrito_ = false;

private:
    std::vector<std::string> linhas_;
    bool temDocumento_ = false;
    std::string erro_;
};

// Hands `linhas` to `impressao` as one document, after `prepara` (the
// printer and the font) has run. False, with the reason in `motivo`, when
// any step failed or the document was not taken; what was printed of it is
// dropped then, so that it never opens the next document.
bool ImprimeDocumento(SistemaImpressao& impressao, const std::function<void()>& prepara,
                      const std::vector<std::string>& linhas, std::string& motivo);

}  // namespace varelo
