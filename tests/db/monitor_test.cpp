// Loading, the start-up timer and the activity rows. The monitor switch is
// exercised through the window's button, and a database failure during a
// scan with the inclusion it interrupts.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "app/monitor.h"
#include "app/startup_settings.h"
#include "app/wiring.h"
#include "base/errors.h"
#include "base/ini.h"
#include "checks/delivery_check.h"
#include "core/activity_log.h"
#include "db/banco.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

class MonitorTeste : public ::testing::Test {
protected:
    void SetUp() override { ContextoTeste::LimpaBanco(); }

    void Executa(const std::string& sql) {
        t.banco.AbreBanco(sql);
        t.banco.FechaBanco();
    }

    ContextoTeste t;
    AgendadorManual agendador;
    Monitor monitor{t.ctx, agendador};
    std::vector<std::string> chamadas;
};

TEST_F(MonitorTeste, InicioApagaRespostasAntigasExportaELigaOMonitor) {
    for (const char* nome : {"erro4.txt", "okcomanda4.txt", "OKCOMANDA5.TXT", "ConsumoComanda4.txt",
                             "ATUALIZA3.txt", "INCLUSAO4.txt", "cadpro.txt"})
        t.pedido(nome, "x");
    auto registra = [this](const char* nome) {
        return [this, nome](const std::string&) { chamadas.push_back(nome); };
    };
    t.ctx.procs.ExportaProdutos = registra("ExportaProdutos");
    t.ctx.procs.ExportaQtdes = registra("ExportaQtdes");
    t.ctx.procs.ExportaObs = registra("ExportaObs");
    t.ctx.procs.ExportaComandas = registra("ExportaComandas");
    t.ctx.procs.ExportaAtendentes = registra("ExportaAtendentes");
    t.ctx.procs.ExportaConsumos = [this](const std::string&, const std::string& n) {
        chamadas.push_back("ExportaConsumos " + n);
    };
    int saida = -1;
    monitor.encerra = [&](int s) { saida = s; };
    t.processos.lista = {"bash", "varelosync"};

    monitor.tmrInicio_Timer();

    EXPECT_EQ(t.arquivos.lista(t.pastaComandas()),
              (std::vector<std::string>{"INCLUSAO4.txt", "cadpro.txt"}));
    EXPECT_EQ(chamadas, (std::vector<std::string>{"ExportaProdutos", "ExportaQtdes", "ExportaObs",
                                                  "ExportaComandas", "ExportaAtendentes",
                                                  "ExportaConsumos 0"}));
    EXPECT_TRUE(t.timer1.ligado());
    EXPECT_EQ(saida, -1);

    // A second copy, whatever the case of its name, is told so and ends,
    // before it touches the first one's files.
    t.processos.lista = {"varelosync", "bash", "VareloSync"};
    t.pedido("okComanda9.txt", "ok\r\n");
    chamadas.clear();
    monitor.tmrInicio_Timer();
    EXPECT_EQ(saida, 3);
    EXPECT_TRUE(chamadas.empty());
    EXPECT_TRUE(t.arquivos.podeLer(t.comanda("okComanda9.txt")));
    const auto eventos = t.novosEventos();
    EXPECT_EQ(std::count(eventos.begin(), eventos.end(),
                         "JÁ EXISTE UMA INSTANCIA DESTE EXECUTAVEL ABERTO. FINALIZANDO SISTEMA."),
              1000);
}

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

TEST_F(MonitorTeste, CarregaAjustesDasTresOrigens) {
    const std::string ini = CaminhoConfigIni(t.ctx);
    GravaIni("VareloSync", "PastaComanda", "D:\\Comandas\\", ini);
    GravaIni("varelo", "ipservidor", t.ctx.cfg.IPServidor, ini);
    GravaIni("Varelo", "Driver", "MariaDB Unicode", ini);
    t.armazem.grava("Varelo", "Config", "Nome", std::string(60, 'N'));
    t.armazem.grava("Varelo", "Config", "LinhaFim", "abc");
    t.armazem.grava("Varelo", "Config", "ResumoContaPalm", "1");
    t.armazem.grava("Varelo", "Config", "Terminal", "2");  // only 1 is a terminal
    Executa("Insert into Config (Variavel, Valor) values ('LinhasInicio','3.5'),"
            "('GrupoCupom','1'),('AutoRecebFinal','2'),('qtdMinimo','0.5'),('ImpSeparado','0')");

    ASSERT_EQ(monitor.Form_Load({}), Monitor::Carga::Pronto);
    const Configuracao& c = t.ctx.cfg;
    EXPECT_EQ(c.txtPasta, "D:\\Comandas");
    EXPECT_EQ(c.txtImpressora, "LPT1");
    EXPECT_EQ(c.LinhaFim, 8);
    EXPECT_EQ(c.ResumoContaPalm, 1);
    EXPECT_EQ(c.empresa.Nome, std::string(50, 'N'));
    EXPECT_EQ(c.empresa.UF, "Es");
    EXPECT_EQ(c.empresa.Cidade, "Cidade" + std::string(29, ' '));
    EXPECT_EQ(c.LinhasInicio, 4);
    EXPECT_TRUE(c.GrupoCupom);
    EXPECT_EQ(c.AutoRecebFinal, 2);
    EXPECT_EQ(c.qtdMinimo, Dinheiro::deDezMilesimos(5000));
    EXPECT_TRUE(c.AutoImpressao) << "a missing AutoImpressao row switches the check on";
    EXPECT_FALSE(c.ImpSeparado);
    EXPECT_FALSE(c.credenciais.usuario.has_value());
    EXPECT_FALSE(c.credenciais.senha.has_value());
    EXPECT_EQ(c.Site, "");
    EXPECT_EQ(t.novosEventos(),
              std::vector<std::string>{"Valor inválido na configuração LinhaFim: 'abc'. Usando 8"});
}

// The server refuses the empty password of config.ini (present but empty:
// not the fixed one). The window stays and loading is tried again every ten
// seconds until the server takes it.
TEST_F(MonitorTeste, SemBancoAJanelaFicaETentaDeNovoACadaDezSegundos) {
    const std::string ini = CaminhoConfigIni(t.ctx);
    GravaIni("Varelo", "IPServidor", t.ctx.cfg.IPServidor, ini);
    GravaIni("Varelo", "Driver", "MariaDB Unicode", ini);
    GravaIni("Varelo", "Usuario", "root", ini);
    GravaIni("Varelo", "Senha", "", ini);
    GravaIni("Varelo", "Site", "www.restaurante.com.br", ini);
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

// The database password in a config.ini that anyone on the machine may
// read: one line at start-up says so.
TEST_F(MonitorTeste, SenhaNumConfigIniQueTodosLeemGeraAviso) {
    const std::string ini = CaminhoConfigIni(t.ctx);
    const std::string aviso =
        "config.ini guarda a senha do banco e pode ser lido por qualquer usuário (permissões 0644): use chmod 640";
    for (const auto& [senha, modo, avisa] : std::vector<std::tuple<std::string, unsigned, bool>>{
             {"segredo", 0644, true}, {"segredo", 0640, false}, {"segredo", 0600, false}, {"", 0644, false}}) {
        SCOPED_TRACE(senha + " " + std::to_string(modo));
        GravaIni("Varelo", "IPServidor", t.ctx.cfg.IPServidor, ini);
        GravaIni("Varelo", "Driver", "MariaDB Unicode", ini);
        GravaIni("Varelo", "Senha", senha, ini);
        std::filesystem::permissions(ini, std::filesystem::perms(modo));
        monitor.Form_Load({});
        const auto eventos = t.novosEventos();
        EXPECT_EQ(std::count_if(eventos.begin(), eventos.end(),
                                [](const std::string& e) { return e.rfind("config.ini guarda a senha", 0) == 0; }),
                  avisa ? 1 : 0);
        if (avisa) EXPECT_TRUE(Contem(eventos, aviso));
    }
}

TEST_F(MonitorTeste, LinhasInicioPelaParteNumericaInicial) {
    for (const auto& [valor, esperado] : std::vector<std::pair<std::string, int>>{
             {"3 linhas", 3}, {"2.5", 2}, {"3.5", 4}, {"muitas", 0}}) {
        Executa("Delete from config");
        Executa("Insert into config (Variavel, Valor) values ('LinhasInicio','" + valor + "')");
        CarregaTabelaConfig(t.ctx);
        EXPECT_EQ(t.ctx.cfg.LinhasInicio, esperado) << valor;
    }
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

// Both rows keep the text as typed; the printing trace also goes to the
// list of printed items.
TEST_F(MonitorTeste, RegistrosGuardamOTextoComoDigitadoComDataEHora) {
    t.relogio.define(DataHora{2026, 12, 4, 14, 5, 9, 5});
    GravaLog(t.ctx, "PALM Fecha Conta 42 pão d'água \\ fim", "OPERACAO", "PALM");
    EXPECT_EQ(t.consulta("select concat(log,'|',date_format(DataHora,'%Y/%m/%d %H:%i:%s'),'|',"
                         "Usuario,'|',Tipo) r from logs", "r"),
              std::vector<std::string>{
                  "PALM Fecha Conta 42 pão d'água \\ fim|2026/12/04 14:05:09|PALM|OPERACAO"});

    LogImp(t.ctx, "cozinha", "Pão d'Alho \\", "42", 3);
    EXPECT_EQ(t.impressos.linhas(), std::vector<std::string>{
                                        "04/12/2026 14:05:09 | Pão d'Alho \\ | cozinha | 42 | 3"});
    // The comanda goes bare into the statement.
    EXPECT_THROW(LogImp(t.ctx, "cozinha", "x", "42 or 1=1", 1), Erro);
    EXPECT_EQ(t.consulta("select concat(Produto,'|',Impressora,'|',Comanda,'|',debug) r from logimp", "r"),
              std::vector<std::string>{"Pão d'Alho \\|cozinha|42|3"});
}

}  // namespace
}  // namespace varelo
