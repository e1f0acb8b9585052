#pragma once
#include <string>

namespace varelo {

// The per-user settings store behind LeRegistro/GravaRegistro: values by
// application, section and key, shared by every program of the order
// system that runs under the same user. A value that was never written
// reads as the default. A failing call throws Erro with a description;
// the caller logs it and takes the empty text.
class ArmazemUsuario {
public:
    virtual ~ArmazemUsuario() = default;
    virtual std::string le(const std::string& aplicacao, const std::string& secao,
                           const std::string& chave, const std::string& padrao) = 0;
    virtual void grava(const std::string& aplicacao, const std::string& secao,
                       const std::string& chave, const std::string& valor) = 0;
};

// The store as one INI file per application:
// <pastaBase>/<aplicacao>/settings.ini, one INI section per store section.
// The application "Varelo" therefore lives in Varelo/settings.ini, section
// [Config]. Application names are matched as the file system does (so with
// letter case); an empty name, or one holding "/" or "..", is refused.
class ArmazemIni final : public ArmazemUsuario {
public:
    explicit ArmazemIni(std::string pastaBase);

    // ${XDG_CONFIG_HOME}, or $HOME/.config when that is unset, empty or not
    // absolute. Throws Erro when neither can be found.
    static std::string PastaPadrao();

    std::string caminho(const std::string& aplicacao) const;
    const std::string& pastaBase() const { return base_; }

    std::string le(const std::string& aplicacao, const std::string& secao,
                   const std::string& chave, const std::string& padrao) override;
    void grava(const std::string& aplicacao, const std::string& secao,
               const std::string& chave, const std::string& valor) override;

private:
    std::string base_;
};

}  // namespace varelo
