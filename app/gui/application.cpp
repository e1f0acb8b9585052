#include "app/gui/application.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QTimer>

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/gui/arrival_scan.h"
#include "app/gui/main_window.h"
#include "app/gui/printer_watch.h"
#include "app/gui/qt_platform.h"
#include "app/gui/worker.h"
#include "app/program.h"
#include "app/startup_settings.h"
#include "base/errors.h"
#include "base/files.h"
#include "base/ini.h"
#include "printing/direct_printing.h"
#include "printing/qt/qt_printer.h"
#include "printing/spool_printer.h"

namespace varelo {
namespace {

constexpr int kAtrasoInicioMs = 500;
constexpr int kIntervaloMonitorMs = 1000;
constexpr std::chrono::seconds kIntervaloPainel{5};

// The tick's interval; VARELO_INTERVALO_MONITOR_MS sets another, so that a
// test can tell a scan on arrival from one at the tick.
int IntervaloMonitorMs() {
    const int ms = qEnvironmentVariableIntValue("VARELO_INTERVALO_MONITOR_MS");
    return ms > 0 ? ms : kIntervaloMonitorMs;
}

std::vector<std::string> FamiliasDaMaquina() {
    std::vector<std::string> nomes;
    for (const QString& f : QFontDatabase::families()) nomes.push_back(f.toStdString());
    return nomes;
}

std::unique_ptr<SistemaImpressao> CriaImpressao(const OpcoesLinha& o) {
    if (!o.imprimePara.empty())
        return std::make_unique<ImpressoraSpool>(QDir(QString::fromStdString(o.imprimePara))
                                                     .absolutePath()
                                                     .toStdString(),
                                                 FamiliasDaMaquina);
    return std::make_unique<ImpressoraQt>();
}

std::string PastaDoPrograma(const OpcoesLinha& o) {
    if (o.home.empty()) return QCoreApplication::applicationDirPath().toStdString();
    return QDir(QString::fromStdString(o.home)).absolutePath().toStdString();
}

int Executa(const OpcoesLinha& o, int argc, char** argv, Extensao* extensao) {
    QApplication app(argc, argv);

    std::string pastaArmazem;
    try {
        pastaArmazem = ArmazemIni::PastaPadrao();
    } catch (const Erro& e) {
        std::cerr << "varelosync: " << e.what() << std::endl;
        return kSaidaUso;
    }
    std::unique_ptr<SistemaImpressao> impressao = CriaImpressao(o);
    MensagensCaixa caixas;
    MensagensConsole console;
    Mensagens& mensagens = o.headless ? static_cast<Mensagens&>(console) : caixas;
    // The monitor and every procedure run on the worker; the event loop of
    // this thread only draws the window and takes its clicks.
    Trabalhador trabalho;
    AgendadorQt agendador(trabalho.contexto());
    Monitor* monitor = nullptr;
    Contexto* contexto = nullptr;
    std::unique_ptr<ScanNaChegada> chegadas;
    TimerQt timer1(
        IntervaloMonitorMs(),
        [&] {
            if (chegadas) chegadas->acompanha(contexto->cfg.txtPasta);
            monitor->Timer1_Timer();
        },
        trabalho.contexto()->thread());

    SistemaImpressao& sistema = extensao ? extensao->impressao(*impressao) : *impressao;
    // The thermal printers of config.ini's [Impressoras], spoken to directly.
    std::vector<std::string> errosDiretas;
    ImpressorasConfiguradas configuradas =
        LeImpressoras(LeSecaoIni("Impressoras", Junta(PastaDoPrograma(o), "config.ini")), errosDiretas);
    const ImpressorasConfiguradas doPainel = configuradas;
    std::optional<ImpressaoComDiretas> comDiretas;
    if (!configuradas.vazia()) comDiretas.emplace(sistema, std::move(configuradas));
    // The printers' states, as printing and the window's panel see them.
    EstadosVistos vistos;
    SistemaImpressao& impressora = comDiretas ? static_cast<SistemaImpressao&>(*comDiretas) : sistema;
    Programa programa(PastaDoPrograma(o), pastaArmazem, {mensagens, timer1, agendador, impressora});
    // The printers' state lines go to the event list.
    vistos.avisa = [&programa](const std::string& linha) { programa.eventos().AdicionaEvento(linha); };
    if (comDiretas) comDiretas->estados = &vistos;
    if (auto* cups = dynamic_cast<ImpressoraQt*>(impressao.get())) cups->estados = &vistos;
    // Whatever way this function ends, the work in hand ends first, and what
    // lives on the worker goes there, before the program and the window it
    // uses (declared before, so gone after).
    std::unique_ptr<JanelaVareloSync> janela;
    const auto fim = [&trabalho, &chegadas, &timer1](void*) {
        trabalho.executa([&] {
            chegadas.reset();
            timer1.desliga();
        });
        trabalho.para();
    };
    const std::unique_ptr<void, decltype(fim)> paraOTrabalho(&trabalho, fim);
    std::unique_ptr<VigiaDeImpressoras> vigia;  // ends before the worker
    if (extensao) extensao->prepara(programa);
    monitor = &programa.monitor();
    Contexto& ctx = programa.ctx();
    contexto = &ctx;
    ctx.nomeExecutavel = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
    monitor->encerra = [](int saida) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [saida] { QCoreApplication::exit(saida); });
    };

    if (o.headless) {
        programa.eventos().observar({[](const std::string& linha) { std::cout << linha << std::endl; }, {}});
    } else {
        janela = std::make_unique<JanelaVareloSync>(
            ctx, *monitor, [&trabalho](std::function<void()> f) { trabalho.posta(std::move(f)); });
        caixas.defineJanela(janela.get());
        QObject::connect(janela.get(), &JanelaVareloSync::sairPedido, [] { QCoreApplication::exit(kSaidaNormal); });
    }
    for (const std::string& erro : errosDiretas) programa.eventos().AdicionaEvento(erro);

    // tmrInicio: once, half a second after loading has finished.
    auto iniciaMonitor = [monitor, &trabalho] {
        QTimer::singleShot(kAtrasoInicioMs, trabalho.contexto(), [monitor] { monitor->tmrInicio_Timer(); });
    };
    // Loading runs here, before the worker has anything to do (a message box
    // it shows needs this thread); what the monitor does after it, there.
    const Monitor::Carga carga = monitor->Form_Load(iniciaMonitor);
    trabalho.executa([&] { chegadas = std::make_unique<ScanNaChegada>(ctx.cfg.txtPasta, *monitor); });
    if (carga == Monitor::Carga::Terminal) return kSaidaTerminal;
    if (carga == Monitor::Carga::ServidorIncompativel) return kSaidaServidorIncompativel;
    if (janela) {
        janela->mostraAjustes();
        janela->show();
        const auto nomes = [monitor, &ctx, &doPainel] { return NomesDoPainel(*monitor, ctx, doPainel); };
        vigia = std::make_unique<VigiaDeImpressoras>(
            VigiaDeImpressoras::Servicos{trabalho, nomes, impressora, vistos,
                                         [&janela](const auto& linhas) { janela->mostraImpressoras(linhas); }},
            kIntervaloPainel);
        vigia->atualiza();
    }
    if (carga == Monitor::Carga::Pronto) iniciaMonitor();
    return app.exec();
}

}  // namespace

int ExecutaPrograma(int argc, char** argv, Extensao* extensao) {
    const OpcoesLinha o = LeOpcoes(std::vector<std::string>(argv + 1, argv + argc));
    if (!o.erro.empty()) {
        std::cerr << "varelosync: " << o.erro << "\n\n" << TextoAjuda();
        return kSaidaUso;
    }
    if (o.ajuda) {
        std::cout << TextoAjuda();
        return kSaidaNormal;
    }
    if (o.versao) {
        std::cout << TituloJanela() << std::endl;
        return kSaidaNormal;
    }
    // Without a window there may be no display either.
    if (o.headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return Executa(o, argc, argv, extensao);
}

}  // namespace varelo
