#include <gtest/gtest.h>

#include "base/event_list.h"

namespace varelo {
namespace {

// lstEventos empties when its last index passes 5000, and the line just
// added goes with the rest.
TEST(Listas, EsvaziamNoLimite) {
    ListaEventos lista;
    int esvaziamentos = 0;
    lista.observar({nullptr, [&] { ++esvaziamentos; }});
    for (int i = 0; i < 5001; ++i) lista.AdicionaEvento("linha " + std::to_string(i));
    EXPECT_EQ(lista.tamanho(), 5001u);
    EXPECT_EQ(lista.selecionada(), 5000);
    lista.AdicionaEvento("linha 5001");
    EXPECT_EQ(lista.tamanho(), 0u);
    EXPECT_EQ(esvaziamentos, 1);
    // lstImp is emptied before the new line once it holds over 10000.
    ListaImpressos impressos;
    for (int i = 0; i < 10001; ++i) impressos.adiciona("x");
    EXPECT_EQ(impressos.tamanho(), 10001u);
    impressos.adiciona("nova");
    EXPECT_EQ(impressos.linhas(), std::vector<std::string>{"nova"});
    EXPECT_EQ(impressos.selecionada(), 0);
}

}  // namespace
}  // namespace varelo
