// The one step runner: a step's failure is logged and the procedure goes on;
// what ends a whole unit of work goes through.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/event_list.h"
#include "base/step.h"

namespace varelo {
namespace {

TEST(Passo, RegistraEContinuaMasDeixaPassarOQueEncerraAUnidade) {
    ListaEventos eventos;
    EXPECT_TRUE(Passo(eventos, [] {}));
    EXPECT_FALSE(Passo(eventos, [] { throw Erro("Tipo incompatível"); }));
    EXPECT_FALSE(Passo(eventos, [] { throw std::out_of_range("fora"); }, "Erro Verificacao Tablet"));
    EXPECT_EQ(eventos.linhas(), (std::vector<std::string>{"Tipo incompatível", "Erro Verificacao Tablet"}));

    EXPECT_THROW(Passo(eventos, [] { throw ErroBanco(2006, "MySQL server has gone away", "08S01"); }), ErroBanco);
    EXPECT_THROW(Passo(eventos, [] { throw PedidoAdiado("diário"); }), PedidoAdiado);
    EXPECT_THROW(Passo(eventos, [] { throw ArquivoNaoGravado("Disco cheio: cadpro.txt"); }), ArquivoNaoGravado);
    EXPECT_THROW(Passo(eventos, [] { throw ServidorIncompativel("caixa"); }), ServidorIncompativel);
    EXPECT_EQ(eventos.tamanho(), 2u);

    long numero = 0;
    Passo([] { throw Erro("pasta", Erro::kAcessoArquivo); }, [&](const Erro& e) { numero = e.numero(); });
    EXPECT_EQ(numero, Erro::kAcessoArquivo);
}

}  // namespace
}  // namespace varelo
