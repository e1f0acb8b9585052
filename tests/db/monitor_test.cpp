// Loading, the start-up timer, the monitor switch and what a database
// failure does to the monitor.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/activity_log.h"
#include "app/errors.h"
#include "app/ini.h"
#include "app/monitor.h"
#include "app/startup_settings.h"
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
}

TEST_F(MonitorTeste, SegundaCopiaAvisaMilVezesEEncerra) {
    int saida = -1;
    monitor.encerra = [&](int s) { saida = s; };
    t.processos.lista = {"varelosync", "bash", "VareloSync"};
    monitor.tmrInicio_Timer();
    EXPECT_EQ(saida, 3);
    const auto& linhas = t.eventos.linhas();
    EXPECT_EQ(std::count(linhas.begin(), linhas.end(),
                         "JÁ EXISTE UMA INSTANCIA DESTE EXECUTAVEL ABERTO. FINALIZANDO SISTEMA."),
              1000);
}

TEST_F(MonitorTeste, BotaoParaERetomaEOTimerPisca) {
    t.timer1.liga();
    monitor.cmdIniciar_Click();
    EXPECT_FALSE(t.timer1.ligado());
    EXPECT_EQ(monitor.captionIniciar(), "&Iniciar Monitor");
    EXPECT_EQ(monitor.captionMonitor(), "Monitor Parado!");
    monitor.cmdIniciar_Click();
    EXPECT_TRUE(t.timer1.ligado());
    EXPECT_EQ(monitor.captionIniciar(), "&Parar Monitor");
    EXPECT_EQ(monitor.captionMonitor(), "Monitorando...");

    monitor.Timer1_Timer();
    EXPECT_EQ(monitor.corMonitor(), (Cor{0, 0, 192}));
    monitor.Timer1_Timer();
    EXPECT_EQ(monitor.corMonitor(), (Cor{192, 0, 0}));
}

TEST_F(MonitorTeste, FalhaDoBancoAbandonaOPedidoPausaDezSegundosERetoma) {
    const std::string pedido = t.pedido("INCLUSAO4.txt", "1;1;4");
    t.ctx.procs.InclueItem = [this](const std::string&) {
        Executa("Insert into Logs (log) values ('antes da falha')");
        t.banco.AbreBanco("Select * from tabela_inexistente");
    };
    t.timer1.liga();

    monitor.Timer1_Timer();

    const auto eventos = t.novosEventos();
    ASSERT_GE(eventos.size(), 2u);
    EXPECT_EQ(eventos[0].rfind("Erro abrindo banco: 1146 - ", 0), 0u) << eventos[0];
    EXPECT_NE(eventos[0].find("Select * from tabela_inexistente"), std::string::npos);
    EXPECT_EQ(eventos[1], "Erro no banco de dados, reiniciando programa em 10 segundos");
    EXPECT_TRUE(t.arquivos.podeLer(pedido)) << "the request is handled again after the pause";
    EXPECT_FALSE(t.timer1.ligado());
    ASSERT_EQ(agendador.pendentes.size(), 1u);
    EXPECT_EQ(agendador.pendentes[0].first, std::chrono::milliseconds(10000));
    EXPECT_TRUE(t.relogio.esperas().empty()) << "the pause must not block the window";

    agendador.executa();
    EXPECT_TRUE(t.timer1.ligado());
    // The program is still able to talk to the database.
    EXPECT_EQ(t.consulta("select count(*) n from logs", "n"), std::vector<std::string>{"1"});
}

TEST_F(MonitorTeste, CarregaAjustesDasTresOrigens) {
    const std::string ini = CaminhoConfigIni(t.ctx);
    GravaIni("VareloSync", "PastaComanda", "D:\\Comandas\\", ini);
    GravaIni("varelo", "ipservidor", t.ctx.cfg.IPServidor, ini);
    GravaIni("Varelo", "Driver", "MariaDB Unicode", ini);
    t.armazem.grava("Varelo", "Config", "Nome", std::string(60, 'N'));
    t.armazem.grava("Varelo", "Config", "LinhaFim", "abc");
    t.armazem.grava("Varelo", "Config", "ResumoContaPalm", "1");
    Executa("Insert into Config (Variavel, Valor) values ('LinhasInicio','3.5'),"
            "('GrupoCupom','1'),('AutoRecebFinal','2'),('qtdMinimo','0.5'),('ImpSeparado','0')");

    bool carregou = false;
    ASSERT_EQ(monitor.Form_Load([&] { carregou = true; }), Monitor::Carga::Pronto);
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
    EXPECT_FALSE(c.EmHorario);
    EXPECT_FALSE(c.credenciais.usuario.has_value());
    EXPECT_FALSE(c.credenciais.senha.has_value());
    EXPECT_EQ(c.Site, "");
    const auto& linhas = t.eventos.linhas();
    EXPECT_NE(std::find(linhas.begin(), linhas.end(),
                        "Valor inválido na configuração LinhaFim: 'abc'. Usando 8"),
              linhas.end());
}

TEST_F(MonitorTeste, UsuarioSenhaESiteOpcionaisDoConfigIni) {
    const std::string ini = CaminhoConfigIni(t.ctx);
    GravaIni("Varelo", "IPServidor", t.ctx.cfg.IPServidor, ini);
    GravaIni("Varelo", "Driver", "MariaDB Unicode", ini);
    GravaIni("Varelo", "Usuario", "root", ini);
    GravaIni("Varelo", "Senha", "", ini);  // present but empty: not the fixed password
    GravaIni("Varelo", "Site", "www.restaurante.com.br", ini);
    // The empty password is refused by the server: loading waits for it.
    EXPECT_EQ(monitor.Form_Load({}), Monitor::Carga::AguardandoBanco);
    EXPECT_EQ(t.ctx.cfg.credenciais.usuario, std::optional<std::string>("root"));
    EXPECT_EQ(t.ctx.cfg.credenciais.senha, std::optional<std::string>(""));
    EXPECT_EQ(t.ctx.cfg.Site, "www.restaurante.com.br");
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
    t.armazem.grava("Varelo", "Config", "Terminal", "1");
    EXPECT_EQ(monitor.Form_Load({}), Monitor::Carga::Terminal);
    ASSERT_EQ(t.mensagens.caixas.size(), 1u);
    EXPECT_EQ(t.mensagens.caixas[0].first, "VareloSync");
    EXPECT_EQ(t.mensagens.caixas[0].second,
              "Este micro é um terminal do sistema Varelo. O sincronizador do sistema só pode ser "
              "aberto no micro servidor. O sistema será finalizado agora.");
    for (const char* outro : {"2", "0"}) {
        t.armazem.grava("Varelo", "Config", "Terminal", outro);
        EXPECT_EQ(CarregaAjustesLocais(t.ctx), ResultadoCarga::Carregado) << outro;
    }
}

TEST_F(MonitorTeste, SemServidorAJanelaFicaETentaDeNovoACadaDezSegundos) {
    const std::string ini = CaminhoConfigIni(t.ctx);
    GravaIni("Varelo", "IPServidor", "127.0.0.1;Port=1", ini);
    GravaIni("Varelo", "Driver", "MariaDB Unicode", ini);
    bool carregou = false;
    EXPECT_EQ(monitor.Form_Load([&] { carregou = true; }), Monitor::Carga::AguardandoBanco);
    const auto eventos = t.novosEventos();
    ASSERT_EQ(eventos.size(), 2u);
    EXPECT_EQ(eventos[0].rfind("Erro abrindo banco: ", 0), 0u);
    EXPECT_NE(eventos[0].find("Select * from config where variavel='LinhasInicio' "),
              std::string::npos);
    agendador.executa();
    EXPECT_FALSE(carregou);
    ASSERT_EQ(agendador.pendentes.size(), 1u);
    t.ctx.cfg.IPServidor = ContextoTeste::IpServidorTeste();
    agendador.executa();
    EXPECT_TRUE(carregou);
}

TEST_F(MonitorTeste, GravaLogGuardaTextoComoDigitadoComDataEHora) {
    t.relogio.define(DataHora{2026, 12, 4, 14, 5, 9, 5});
    GravaLog(t.ctx, "PALM Fecha Conta 42 pão d'água \\ fim", "OPERACAO", "PALM");
    EXPECT_EQ(t.consulta("select concat(log,'|',date_format(DataHora,'%Y/%m/%d %H:%i:%s'),'|',"
                         "Usuario,'|',Tipo) r from logs", "r"),
              std::vector<std::string>{
                  "PALM Fecha Conta 42 pão d'água \\ fim|2026/12/04 14:05:09|PALM|OPERACAO"});
}

TEST_F(MonitorTeste, LogImpAcrescentaLinhaERegistro) {
    t.relogio.define(DataHora{2026, 12, 4, 9, 5, 7, 5});
    LogImp(t.ctx, "cozinha", "Feijoada Ção", "42", 3);
    EXPECT_EQ(t.impressos.linhas(), std::vector<std::string>{
                                        "04/12/2026 09:05:07 | Feijoada Ção | cozinha | 42 | 3"});
    EXPECT_EQ(t.consulta("select concat(Produto,'|',Impressora,'|',Comanda,'|',debug) r from logimp",
                         "r"),
              std::vector<std::string>{"Feijoada Ção|cozinha|42|3"});
    EXPECT_THROW(LogImp(t.ctx, "cozinha", "x", "42 or 1=1", 1), Erro);
}

}  // namespace
}  // namespace varelo
