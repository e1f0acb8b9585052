// What the case files cannot show of the window's behaviour: the pause
// after a lost connection, the loading retries and the message boxes.
#include <gtest/gtest.h>

#include "app/monitor.h"
#include "app/startup_settings.h"
#include "app/wiring.h"
#include "base/errors.h"
#include "base/ini.h"
#include "checks/delivery_check.h"
#include "core/activity_log.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

class MonitorTeste : public ::testing::Test {
protected:
    void SetUp() override { ContextoTeste::LimpaBanco(); }

    ContextoTeste t;
    AgendadorManual agendador;
    Monitor monitor{t.ctx, agendador};
};

// The database is away while the start-up exports run: the monitor pauses,
// the clean-up is not done again, and the exports cut short run at the
// first tick after the pause. The operator's stop, pressed during a pause,
// wins over the resume, and a deletion that switches the timer on starts
// no scan.
TEST_F(MonitorTeste, QuedaNoInicioRetomaExportacoesEAParadaDoOperadorVence) {
    AvisosDelivery avisos;
    LigaProcedimentos(t.ctx, avisos);
    bool fora = true;
    int enviados = 0;
    t.banco.defineGancho([&](OperacaoBanco operacao, const std::string&) {
        if (operacao != OperacaoBanco::Comando) return;
        ++enviados;
        if (fora) throw ErroBanco(2013, "Lost connection", "08S01");
    });
    monitor.tmrInicio_Timer();
    EXPECT_FALSE(t.timer1.ligado());
    ASSERT_EQ(agendador.pendentes.size(), 1u);
    EXPECT_FALSE(t.arquivos.podeLer(t.comanda("cadpro.txt")));

    t.pedido("okComanda9.txt", "ok\r\n");  // a reply of this run, after its start
    fora = false;
    agendador.executa();
    EXPECT_TRUE(t.timer1.ligado());
    monitor.Timer1_Timer();
    for (const char* nome : {"cadpro.txt", "cadqtde.txt", "cadobs.txt", "Comandas.txt", "atendentes.txt"})
        EXPECT_TRUE(t.arquivos.podeLer(t.comanda(nome))) << nome;
    EXPECT_TRUE(t.arquivos.podeLer(t.comanda("okComanda9.txt")));
    EXPECT_TRUE(t.ctx.exportacoesPendentes.empty());

    fora = true;
    monitor.Timer1_Timer();
    EXPECT_TRUE(monitor.emPausa());
    monitor.cmdIniciar_Click();
    fora = false;
    agendador.executa();
    EXPECT_FALSE(t.timer1.ligado());
    EXPECT_EQ(monitor.captionMonitor(), "Monitor Parado!");
    t.timer1.liga();
    enviados = 0;
    monitor.Timer1_Timer();
    EXPECT_EQ(enviados, 0);
    EXPECT_FALSE(t.timer1.ligado());
    monitor.cmdIniciar_Click();
    EXPECT_TRUE(t.timer1.ligado());
    EXPECT_EQ(monitor.captionMonitor(), "Monitorando...");
}

// The server refuses the empty password of config.ini (present but empty:
// not the fixed one). The window stays and loading is tried again every ten
// seconds until the server takes it.
TEST_F(MonitorTeste, SemBancoAJanelaFicaETentaDeNovoACadaDezSegundos) {
    const std::string ini = CaminhoConfigIni(t.ctx);
    for (const auto& [chave, valor] : std::vector<std::pair<std::string, std::string>>{
             {"IPServidor", t.ctx.cfg.IPServidor}, {"Driver", "MariaDB Unicode"}, {"Usuario", "root"},
             {"Senha", ""}, {"Site", "www.restaurante.com.br"}})
        GravaIni("Varelo", chave, valor, ini);
    bool carregou = false;
    EXPECT_EQ(monitor.Form_Load([&] { carregou = true; }), Monitor::Carga::AguardandoBanco);
    EXPECT_EQ(t.ctx.cfg.credenciais.usuario, std::optional<std::string>("root"));
    EXPECT_EQ(t.ctx.cfg.credenciais.senha, std::optional<std::string>(""));
    EXPECT_EQ(t.ctx.cfg.Site, "www.restaurante.com.br");
    const auto eventos = t.novosEventos();
    ASSERT_EQ(eventos.size(), 2u);
    EXPECT_EQ(eventos[0].rfind("Erro abrindo banco: ", 0), 0u);
    EXPECT_NE(eventos[0].find("Select * from config where variavel='LinhasInicio' "), std::string::npos);
    agendador.executa();
    EXPECT_FALSE(carregou);
    ASSERT_EQ(agendador.pendentes.size(), 1u);
    EXPECT_EQ(agendador.pendentes[0].first, std::chrono::milliseconds(10000));
    t.ctx.cfg.credenciais.senha.reset();
    agendador.executa();
    EXPECT_TRUE(carregou);
}

TEST_F(MonitorTeste, TerminalRecusaSemLerMaisNada) {
    const std::string pasta = t.pastaComandas();
    t.armazem.grava("Varelo", "Config", "Terminal", "1");
    EXPECT_EQ(monitor.Form_Load({}), Monitor::Carga::Terminal);
    EXPECT_EQ(t.mensagens.caixas, (std::vector<std::pair<std::string, std::string>>{
                                      {"VareloSync", "Este micro é um terminal do sistema Varelo. O sincronizador do "
                                                     "sistema só pode ser aberto no micro servidor. O sistema será "
                                                     "finalizado agora."}}));
    EXPECT_EQ(t.pastaComandas(), pasta) << "config.ini is not read";
}

// The comanda goes bare into the LogImp statement: anything but a number
// is refused before it is sent (no flow gives one).
TEST_F(MonitorTeste, LogImpRecusaComandaQueNaoEhNumero) {
    EXPECT_THROW(LogImp(t.ctx, "cozinha", "x", "42 or 1=1", 1), Erro);
    EXPECT_EQ(t.consulta("select count(*) n from logimp", "n"), std::vector<std::string>{"0"});
}

}  // namespace
}  // namespace varelo
