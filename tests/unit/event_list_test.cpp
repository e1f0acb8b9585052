#include <gtest/gtest.h>

#include "app/event_list.h"

namespace varelo {
namespace {

TEST(ListaEventos, EsvaziaAoPassarDoUltimoIndice) {
    ListaEventos lista;
    int esvaziamentos = 0;
    lista.observar({nullptr, [&] { ++esvaziamentos; }});
    for (int i = 0; i < 5001; ++i) lista.AdicionaEvento("linha " + std::to_string(i));
    EXPECT_EQ(lista.tamanho(), 5001u);
    EXPECT_EQ(lista.selecionada(), 5000);
    EXPECT_EQ(lista.linhas().back(), "linha 5000");
    lista.AdicionaEvento("linha 5001");
    EXPECT_EQ(lista.tamanho(), 0u);
    EXPECT_EQ(esvaziamentos, 1);
}

TEST(ListaImpressos, EsvaziaAntesDaNovaLinhaAcimaDeDezMil) {
    ListaImpressos lista;
    for (int i = 0; i < 10001; ++i) lista.adiciona("x");
    EXPECT_EQ(lista.tamanho(), 10001u);
    lista.adiciona("nova");
    EXPECT_EQ(lista.linhas(), std::vector<std::string>{"nova"});
    EXPECT_EQ(lista.selecionada(), 0);
}

}  // namespace
}  // namespace varelo
