// Opening periods: weekday names, the Horarios query and the catalog export
// on entering and leaving a price period.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checks/schedule.h"
#include "checks/tablet.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

using Linhas = std::vector<std::string>;

TEST(NomeDiaSemana, OsSeteDiasComoAsTabelasOsEscrevem) {
    RelogioManual relogio;
    Linhas nomes;
    for (int dia = 14; dia <= 20; ++dia) {  // Sunday 14 to Saturday 20 January 2024
        relogio.define(DataHora{2024, 1, dia, 10, 0, 0});
        nomes.push_back(NomeDiaSemana(relogio.agora()));
    }
    EXPECT_EQ(nomes, (Linhas{"Domingo", "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sabado"}));
}

// Each check of the tablet requests first follows the schedule: the
// catalog is exported once on entering an active period of the day (both
// ends included) and once on leaving it, and at no other check.
TEST(Horarios, EntrarESairDoPeriodoExportaOsProdutosUmaVezCada) {
    ContextoTeste::LimpaBanco();
    ContextoTeste t;
    t.banco.AbreBanco("Insert into Horarios (horainicial, horafinal, ativo, diaSemana) values "
                      "('2012/01/01 18:00:00', '2012/01/01 23:59:59', 1, 'Sexta'),"
                      "('2012/01/01 10:00:00', '2012/01/01 12:00:00', 0, 'Sexta'),"
                      "('2012/01/01 09:00:00', '2012/01/01 10:00:00', 1, 'Terça')");
    t.banco.FechaBanco();
    Linhas sqls, exportacoes;
    t.banco.observaSql([&](const std::string& s) {
        if (s.rfind("Select * from Horarios ", 0) == 0) sqls.push_back(s);
    });
    const std::string pasta = t.pastaComandas();
    t.ctx.procs.ExportaProdutos = [&](const std::string& p) {
        exportacoes.push_back(p + (t.ctx.cfg.EmHorario ? " preco_v2" : " preco_v"));
    };
    struct Passo {
        DataHora quando;
        Linhas exportacoes;
        std::size_t consultas;  // Horarios queries of the check
    };
    const std::vector<Passo> passos = {
        {{2024, 1, 18, 20, 0, 0}, {}, 1},                   // Thursday
        {{2024, 1, 19, 11, 0, 0}, {}, 1},                   // Friday, a period that is not active
        {{2024, 1, 19, 17, 59, 59}, {}, 1},
        {{2024, 1, 19, 18, 0, 0}, {pasta + " preco_v2"}, 2},
        {{2024, 1, 19, 20, 0, 0}, {}, 1},
        {{2024, 1, 19, 23, 59, 59}, {}, 1},
        {{2024, 1, 20, 0, 0, 0}, {pasta + " preco_v"}, 1},  // Saturday
        {{2024, 1, 20, 0, 0, 1}, {}, 1},
        {{2024, 1, 16, 9, 30, 0}, {pasta + " preco_v2"}, 2},  // Tuesday, named with its cedilla
    };
    for (std::size_t i = 0; i < passos.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        sqls.clear();
        exportacoes.clear();
        t.relogio.define(passos[i].quando);
        VerificaTablet(t.ctx, pasta);
        EXPECT_EQ(exportacoes, passos[i].exportacoes);
        EXPECT_EQ(sqls.size(), passos[i].consultas);
    }
    EXPECT_EQ(sqls.back(), "Select * from Horarios where horainicial <= '2012/01/01 09:30:00' and horafinal >= "
                           "'2012/01/01 09:30:00' and ativo=true and diaSemana = 'Terça'");
    // The row matched is the real UTF-8 "Terça", as the other programs write it.
    EXPECT_EQ(t.consulta("Select hex(diaSemana) as h from Horarios where diaSemana = 'Terça'", "h"),
              Linhas{"546572C3A761"});
    EXPECT_TRUE(t.novosEventos().empty());  // the schedule writes no lines
}

}  // namespace
}  // namespace varelo
