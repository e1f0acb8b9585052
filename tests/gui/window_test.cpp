// The main window on Qt's offscreen platform, over the private MariaDB; and
// the tests' main, which needs the application object of Qt.
#include <QtWidgets>

#include <sstream>

#include "app/gui/main_window.h"
#include "app/gui/printer_watch.h"
#include "app/gui/worker.h"
#include "app/monitor.h"
#include "printing/direct_printing.h"
#include "tests/gui/gui.h"
#include "tests/support/test_printer.h"

namespace varelo {
namespace {

using namespace std::chrono_literals;

class Janela : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        GravaIni("VareloSync", "Impressora", "LPT2", Configura(t, t.pastaComandas() + "\\"));
        t.armazem.grava("Varelo", "Config", "ResumoContaPalm", "1");
        ASSERT_EQ(monitor.Form_Load({}), Monitor::Carga::Pronto);
        janela.mostraAjustes();
    }
    template <typename W = QWidget>
    W* Controle(const std::string& nome) {
        W* w = janela.findChild<W*>(QString::fromStdString(nome));
        EXPECT_NE(w, nullptr) << nome;
        return w;
    }
    std::string Texto(const std::string& nome) { return Controle(nome)->property("text").toString().toStdString(); }

    ContextoTeste t;
    AgendadorManual agendador;
    Monitor monitor{t.ctx, agendador};
    JanelaVareloSync janela{t.ctx, monitor};
};

TEST_F(Janela, ControlesELegendasDaCargaEInterruptorDoMonitorQuePisca) {
    EXPECT_EQ(std::tuple(janela.objectName().toStdString(), janela.windowTitle().toStdString()),
              std::tuple("frmVareloSync", std::string("VareloSync ") + VARELO_VERSION));
    QStringList rotulos;
    for (QLabel* rotulo : janela.findChildren<QLabel*>()) rotulos << rotulo->text();
    for (const char* rotulo :
         {"Gerenciador de Impressões e monitoramento do Sistema Varelo", "Pasta Monitoramento: ", "Caminho Impressora:"})
        EXPECT_TRUE(rotulos.contains(QString::fromUtf8(rotulo))) << rotulo;
    // Each line of the file: a control's class and name, one of its properties and the value.
    for (const std::string& linha : LinhasEsperadas("janela.txt")) {
        std::istringstream campos(linha);
        std::string classe, nome, propriedade, valor;
        std::getline(campos >> classe >> nome >> propriedade >> std::ws, valor);
        ASSERT_TRUE(Controle(nome) && Controle(nome)->inherits(classe.c_str())) << linha;
        EXPECT_EQ(Controle(nome)->property(propriedade.c_str()).toString().toStdString(), valor) << linha;
    }
    EXPECT_EQ(Controle<QLineEdit>("txtPasta")->text().toStdString(), t.pastaComandas());  // one trailing "\" removed
    for (const char* lista : {"lstEventos", "lstImp"})
        EXPECT_TRUE(QFontInfo(Controle(lista)->font()).fixedPitch()) << lista;

    monitor.tmrInicio_Timer();
    ASSERT_TRUE(t.timer1.ligado());
    for (const auto& [ligado, botao, estado] : {std::tuple(false, "&Iniciar Monitor", "Monitor Parado!"),
                                                std::tuple(true, "&Parar Monitor", "Monitorando...")}) {
        Controle<QPushButton>("cmdIniciar")->click();
        EXPECT_EQ(std::tuple(t.timer1.ligado(), Texto("cmdIniciar"), Texto("lblMonitor")),
                  std::tuple(ligado, botao, estado));
    }
    for (const QColor& cor : {QColor(0, 0, 192), QColor(192, 0, 0)}) {
        monitor.Timer1_Timer();
        EXPECT_EQ(Controle("lblMonitor")->palette().color(QPalette::WindowText), cor);
    }
}

TEST_F(Janela, ControlesGravamAoMudarOuPerderOFocoEListasSeguemEventosEImpressos) {
    Controle<QCheckBox>("chkResumoContaPalm")->click();
    EXPECT_EQ(t.armazem.le("Varelo", "Config", "ResumoContaPalm", "?"), "0");
    EXPECT_EQ(t.ctx.cfg.ResumoContaPalm, 0);
    for (const auto& [nome, chave, valor] :
         {std::tuple("txtPasta", "PastaComanda", "/srv/comandas"), std::tuple("txtImpressora", "Impressora", "LPT3")}) {
        Controle<QLineEdit>(nome)->setText(valor);
        QFocusEvent perdeFoco(QEvent::FocusOut);
        QApplication::sendEvent(Controle(nome), &perdeFoco);
        EXPECT_EQ(LeIni("VareloSync", chave, "", CaminhoConfigIni(t.ctx)), valor);
    }
    auto* eventos = Controle<QListWidget>("lstEventos");
    const int antes = eventos->count();
    t.eventos.AdicionaEvento("Processando arquivo INCLUSAO4.txt");
    t.eventos.AdicionaEvento("Não Imprimir");
    ASSERT_EQ(eventos->count(), antes + 2);
    EXPECT_EQ(eventos->currentRow(), antes + 1);
    EXPECT_EQ(eventos->item(antes + 1)->text().toStdString(), "Não Imprimir");
    // The events empty, the line just added with them, when the last index
    // passes 5000; the printed items before a new one once they are over 10000.
    while (t.eventos.tamanho() < 5001) t.eventos.AdicionaEvento("x");
    EXPECT_EQ(std::pair(eventos->count(), eventos->currentRow()), std::pair(5001, 5000));
    t.eventos.AdicionaEvento("x");
    EXPECT_EQ(eventos->count(), 0);
    auto* impressos = Controle<QListWidget>("lstImp");
    for (int i = 0; i < 10001; ++i) t.impressos.adiciona("x");
    EXPECT_EQ(impressos->count(), 10001);
    t.impressos.adiciona("05/03/2024 12:00:00 | Pudim | cozinha | 4 | 1");
    EXPECT_EQ(std::pair(impressos->count(), impressos->currentRow()), std::pair(1, 0));
}

// The monitor works on a thread of its own: while the button's export
// waits (as a scan waits after each print), the window's event loop goes on,
// shows the event line the export added and runs its timers; the export
// waits until it has seen the window do so twenty times.
TEST_F(Janela, OMonitorTrabalhaEmOutraThreadEAJanelaNuncaEspera) {
    Trabalhador trabalho;
    JanelaVareloSync outra(t.ctx, monitor, [&](std::function<void()> f) { trabalho.posta(std::move(f)); });
    std::atomic<int> voltas{0};
    std::atomic<bool> fora{false}, terminou{false};
    t.ctx.procs.ExportaProdutos = [&](const std::string&) {
        fora = QThread::currentThread() != janela.thread();
        t.eventos.AdicionaEvento("exportando");
        EXPECT_TRUE(Aguarda([&] { return voltas >= 20; }, 10s)) << "the window's event loop waited for the export";
        terminou = true;
    };
    QTimer relogio;
    QObject::connect(&relogio, &QTimer::timeout, [&] { ++voltas; });
    relogio.start(5);
    outra.findChild<QPushButton*>("cmdAtualizar")->click();
    auto* eventos = outra.findChild<QListWidget*>("lstEventos");
    QDeadlineTimer limite(20s);
    while (!terminou && !limite.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(terminou && fora);
    QCoreApplication::processEvents();
    ASSERT_GT(eventos->count(), 0);
    EXPECT_EQ(eventos->item(eventos->count() - 1)->text().toStdString(), "exportando");
    trabalho.para();
}

// The panel shows each printer that the groups, the bill and [Impressoras]
// name, once, with its state asked off the worker's thread; a change seen
// there is one event line, as when printing, and a new round shows it.
TEST_F(Janela, PainelMostraCadaImpressoraComSeuEstado) {
    t.executa("Insert into Grupos (idgrupo, nome, Impressora, Impressora2, Impressoradelivery) values "
              "(1, 'Pratos', 'cozinha', 'bar', 'Não Imprimir'), (2, 'Bolos', 'Etiqueta', NULL, ' ')");
    ImpressoraDeTeste copa;
    copa.responde(ImpressoraDeTeste::kPronta, ImpressoraDeTeste::kSemPapel);
    std::vector<std::string> erros;
    const auto config = LeImpressoras({{"Copa", copa.endereco()}, {"cozinha.Reserva", "Copa"}}, erros);
    ImpressaoComDiretas impressao(t.impressao, config);
    EstadosVistos vistos;
    vistos.avisa = [&](const std::string& linha) { t.eventos.AdicionaEvento(linha); };
    Trabalhador trabalho;
    t.armazem.grava("Varelo", "Config", "ImpCupom", "caixa");
    VigiaDeImpressoras vigia({trabalho, [&] { return NomesDoPainel(monitor, t.ctx, config); }, impressao, vistos,
                              [&](const auto& linhas) { janela.mostraImpressoras(linhas); }},
                             1h);
    auto* painel = Controle<QListWidget>("lstImpressoras");
    const auto mostra = [&](const std::vector<std::string>& esperadas) {
        vigia.atualiza();
        QDeadlineTimer limite(10s);
        std::vector<std::string> linhas;
        do {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            linhas.clear();
            for (int i = 0; i < painel->count(); ++i) linhas.push_back(painel->item(i)->text().toStdString());
        } while (linhas != esperadas && !limite.hasExpired());
        return linhas;
    };
    const std::vector<std::string> semPapel{"Copa: sem papel", "bar: pronta", "caixa: não instalada",
                                            "cozinha: pronta"};
    EXPECT_EQ(mostra(semPapel), semPapel);
    copa.responde(ImpressoraDeTeste::kPronta, ImpressoraDeTeste::kPronta);
    auto pronta = semPapel;
    pronta[0] = "Copa: pronta";
    EXPECT_EQ(mostra(pronta), pronta);
    EXPECT_EQ(t.novosEventos(), (std::vector<std::string>{"Impressora Copa: sem papel", "Impressora Copa: pronta"}));
    EXPECT_TRUE(copa.documentos().empty());  // asked, never printed on

    // A connection lost while the names are read is told, and pauses the
    // monitor, as anywhere else; meanwhile the names read last stay.
    t.banco.defineGancho([](OperacaoBanco operacao, const std::string&) {
        if (operacao == OperacaoBanco::Comando) throw ErroBanco(2013, "Lost connection", "08S01");
    });
    EXPECT_EQ(NomesDoPainel(monitor, t.ctx, config), std::nullopt);
    EXPECT_TRUE(monitor.emPausa());
    copa.responde(ImpressoraDeTeste::kPronta, ImpressoraDeTeste::kSemPapel);
    EXPECT_EQ(mostra(semPapel), semPapel);
    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{
                  "Erro abrindo banco: 2013 - Lost connectionSelect Impressora, Impressora2, Impressoradelivery from Grupos",
                  "Erro no banco de dados, reiniciando programa em 10 segundos", "Impressora Copa: sem papel"}));

    // The watch ends, as when the window closes, while a printer is being
    // asked: the answer is waited for, and nothing of the round outlives the
    // worker.
    const std::size_t perguntas = copa.perguntas().size();
    copa.responde(ImpressoraDeTeste::kPronta, ImpressoraDeTeste::kPronta, 300ms);
    vigia.atualiza();
    ASSERT_TRUE(Aguarda([&] { return copa.perguntas().size() > perguntas; }, 5s));
}

}  // namespace
}  // namespace varelo

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
