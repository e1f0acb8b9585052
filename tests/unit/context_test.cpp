// The wiring of the procedures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/wiring.h"
#include "checks/delivery_check.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

// The procedure folders call each other only through Procedimentos: the
// wiring must fill every entry, and the list of entries must be whole.
TEST(Ligacao, PreencheCadaProcedimento) {
    ContextoTeste t;
    AvisosDelivery avisos;
    LigaProcedimentos(t.ctx, avisos);
    std::size_t entradas = 0;
    t.ctx.procs.paraCada([&](const char* nome, const auto& procedimento) {
        ++entradas;
        EXPECT_TRUE(procedimento) << nome;
    });
    // Every member is a std::function of the same size: a member that the
    // list leaves out shows here.
    EXPECT_EQ(entradas * sizeof(std::function<void()>), sizeof(Procedimentos));
}

}  // namespace
}  // namespace varelo
