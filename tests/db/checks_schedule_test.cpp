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

DataHora Em(int ano, int mes, int dia, int hora, int minuto, int segundo) {
    DataHora d;
    d.ano = ano;
    d.mes = mes;
    d.dia = dia;
    d.hora = hora;
    d.minuto = minuto;
    d.segundo = segundo;
    return d;
}

TEST(NomeDiaSemana, OsSeteDiasComoAsTabelasOsEscrevem) {
    RelogioManual relogio;
    std::vector<std::string> nomes;
    for (int dia = 14; dia <= 20; ++dia) {  // Sunday 14 to Saturday 20 January 2024
        relogio.define(Em(2024, 1, dia, 10, 0, 0));
        nomes.push_back(NomeDiaSemana(relogio.agora()));
    }
    EXPECT_EQ(nomes, (std::vector<std::string>{"Domingo", "Segunda", "Terça", "Quarta", "Quinta",
                                               "Sexta", "Sabado"}));
    EXPECT_EQ(NomeDiaSemana(relogio.agora()), "Sabado");
}

class Horarios : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        Executa("Insert into Horarios (horainicial, horafinal, ativo, diaSemana) values "
                "('2012/01/01 18:00:00', '2012/01/01 23:59:59', 1, 'Sexta'),"
                "('2012/01/01 10:00:00', '2012/01/01 12:00:00', 0, 'Sexta'),"
                "('2012/01/01 09:00:00', '2012/01/01 10:00:00', 1, 'Terça')");
        t.banco.observaSql([this](const std::string& s) { sqls.push_back(s); });
        t.ctx.procs.ExportaProdutos = [this](const std::string& pasta) {
            exportacoes.push_back(pasta + (t.ctx.cfg.EmHorario ? " preco_v2" : " preco_v"));
        };
    }

    void Executa(const std::string& sql) {
        t.banco.AbreBanco(sql);
        t.banco.FechaBanco();
    }

    bool Dentro(const DataHora& quando) {
        t.relogio.define(quando);
        return DentroDoHorario(t.ctx);
    }

    ContextoTeste t;
    std::vector<std::string> sqls;
    std::vector<std::string> exportacoes;
};

TEST_F(Horarios, PeriodoAtivoDoDiaComAsDuasPontasIncluidas) {
    EXPECT_FALSE(Dentro(Em(2024, 1, 19, 17, 59, 59)));  // Friday
    EXPECT_TRUE(Dentro(Em(2024, 1, 19, 18, 0, 0)));
    EXPECT_TRUE(Dentro(Em(2024, 1, 19, 23, 59, 59)));
    EXPECT_FALSE(Dentro(Em(2024, 1, 20, 0, 0, 0)));    // Saturday
    EXPECT_FALSE(Dentro(Em(2024, 1, 19, 11, 0, 0)));   // a period that is not active
    EXPECT_FALSE(Dentro(Em(2024, 1, 18, 20, 0, 0)));   // Thursday
    EXPECT_EQ(sqls[1],
              "Select * from Horarios where horainicial <= '2012/01/01 18:00:00' and horafinal >= "
              "'2012/01/01 18:00:00' and ativo=true and diaSemana = 'Sexta'");

    sqls.clear();
    EXPECT_TRUE(Dentro(Em(2024, 1, 16, 9, 30, 0)));  // Tuesday, named with its cedilla
    EXPECT_EQ(sqls, (std::vector<std::string>{
                        "Select * from Horarios where horainicial <= '2012/01/01 09:30:00' and "
                        "horafinal >= '2012/01/01 09:30:00' and ativo=true and diaSemana = 'Terça'"}));
    EXPECT_EQ(t.consulta("Select count(*) as n from Horarios where diaSemana = 'Terça' and "
                         "hex(diaSemana) = '546572C3A761'",
                         "n"),
              (std::vector<std::string>{"1"}));
}

TEST_F(Horarios, EntrarESairDoPeriodoExportaOsProdutosUmaVezCada) {
    const std::string pasta = t.pastaComandas();
    struct Passo {
        DataHora quando;
        std::vector<std::string> exportacoes;
        std::size_t consultas;  // Horarios queries of the check
    };
    const std::vector<Passo> passos = {
        {Em(2024, 1, 19, 17, 59, 59), {}, 1},
        {Em(2024, 1, 19, 18, 0, 0), {pasta + " preco_v2"}, 2},
        {Em(2024, 1, 19, 20, 0, 0), {}, 1},
        {Em(2024, 1, 19, 23, 59, 59), {}, 1},
        {Em(2024, 1, 20, 0, 0, 0), {pasta + " preco_v"}, 1},
        {Em(2024, 1, 20, 0, 0, 1), {}, 1},
    };
    for (std::size_t i = 0; i < passos.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        sqls.clear();
        exportacoes.clear();
        t.relogio.define(passos[i].quando);
        VerificaTablet(t.ctx, pasta);
        EXPECT_EQ(exportacoes, passos[i].exportacoes);
        std::size_t consultas = 0;
        for (const auto& s : sqls) consultas += s.rfind("Select * from Horarios ", 0) == 0;
        EXPECT_EQ(consultas, passos[i].consultas);
    }
    EXPECT_FALSE(t.ctx.cfg.EmHorario);
    EXPECT_TRUE(t.novosEventos().empty());  // the schedule writes no lines
}

}  // namespace
}  // namespace varelo
