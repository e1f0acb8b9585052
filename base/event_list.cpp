#include "base/event_list.h"

namespace varelo {

void ListaTexto::adicionar(const std::string& linha) {
    linhas_.push_back(linha);
    selecionada_ = static_cast<long>(linhas_.size()) - 1;
    for (auto& o : observadores_)
        if (o.linhaAdicionada) o.linhaAdicionada(linha);
}

void ListaTexto::esvaziar() {
    linhas_.clear();
    selecionada_ = -1;
    for (auto& o : observadores_)
        if (o.esvaziada) o.esvaziada();
}

void ListaEventos::AdicionaEvento(const std::string& linha) {
    adicionar(linha);
    if (tamanho() - 1 > kUltimoIndice) esvaziar();
}

void ListaImpressos::adiciona(const std::string& linha) {
    if (tamanho() > kLimite) esvaziar();
    adicionar(linha);
}

}  // namespace varelo
