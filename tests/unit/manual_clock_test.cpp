#include <gtest/gtest.h>

#include <chrono>

#include "base/regional.h"
#include "tests/support/manual_clock.h"

namespace varelo {
namespace {

using std::chrono::milliseconds;

// RelogioManual, which the tests lean on.

std::string Quando(const RelogioManual& r) {
    return DataHoraAAAAMMDD(r.agora()) + " dia " + std::to_string(r.agora().diaSemana);
}

TEST(RelogioManual, EsperaAvancaOTempoEODiaDaSemana) {
    RelogioManual r(DataHora{2024, 2, 28, 23, 59, 58, 0});
    r.espera(milliseconds(1500));
    r.espera(milliseconds(1500));
    EXPECT_EQ(Quando(r), "2024/02/29 00:00:01 dia 4");  // a Thursday
    r.define(DataHora{1999, 12, 31, 23, 59, 59, 0});
    r.avanca(milliseconds(1000));
    EXPECT_EQ(Quando(r), "2000/01/01 00:00:00 dia 6");  // a Saturday
    EXPECT_EQ(r.esperas().size(), 2u);                    // avanca is not a wait
}

}  // namespace
}  // namespace varelo
