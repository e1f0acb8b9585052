#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace varelo {

// A bounded on-screen list: the model behind lstEventos and lstImp. The
// window (or the headless runner) observes it; the core only adds lines.
class ListaTexto {
public:
    // What an observer hears: a line added, or the whole list emptied.
    struct Observador {
        std::function<void(const std::string&)> linhaAdicionada;
        std::function<void()> esvaziada;
    };

    const std::vector<std::string>& linhas() const { return linhas_; }
    std::size_t tamanho() const { return linhas_.size(); }
    // Index of the selected line, or -1 when none is.
    long selecionada() const { return selecionada_; }
    void observar(Observador o) { observadores_.push_back(std::move(o)); }

protected:
    void adicionar(const std::string& linha);
    void esvaziar();

private:
    std::vector<std::string> linhas_;
    long selecionada_ = -1;
    std::vector<Observador> observadores_;
};

// lstEventos: the line is added and selected, then the list is emptied when
// its last index passes 5000 (the line just added goes with the rest).
class ListaEventos : public ListaTexto {
public:
    static constexpr std::size_t kUltimoIndice = 5000;
    void AdicionaEvento(const std::string& linha);
};

// lstImp: emptied before the new line when it already holds over 10000 lines.
class ListaImpressos : public ListaTexto {
public:
    static constexpr std::size_t kLimite = 10000;
    void adiciona(const std::string& linha);
};

}  // namespace varelo
