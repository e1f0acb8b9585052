// The main window on Qt's offscreen platform, over the private MariaDB.
#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/gui/main_window.h"
#include "app/monitor.h"
#include "app/startup_settings.h"
#include "base/event_list.h"
#include "base/ini.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

class Janela : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        const std::string ini = CaminhoConfigIni(t.ctx);
        GravaIni("VareloSync", "PastaComanda", t.pastaComandas() + "\\", ini);
        GravaIni("VareloSync", "Impressora", "LPT2", ini);
        GravaIni("Varelo", "IPServidor", ContextoTeste::IpServidorTeste(), ini);
        GravaIni("Varelo", "Driver", "MariaDB Unicode", ini);
        t.armazem.grava("Varelo", "Config", "ResumoContaPalm", "1");
        ASSERT_EQ(monitor.Form_Load({}), Monitor::Carga::Pronto);
        janela.mostraAjustes();
    }

    template <typename W>
    W* Controle(const char* nome) {
        W* w = janela.findChild<W*>(nome);
        EXPECT_NE(w, nullptr) << nome;
        return w;
    }

    bool TemRotulo(const QString& texto) {
        for (QLabel* l : janela.findChildren<QLabel*>())
            if (l->text() == texto) return true;
        return false;
    }

    void PerdeFoco(QWidget* w) {
        QFocusEvent evento(QEvent::FocusOut);
        QApplication::sendEvent(w, &evento);
    }

    ContextoTeste t;
    AgendadorManual agendador;
    Monitor monitor{t.ctx, agendador};
    JanelaVareloSync janela{t.ctx, monitor};
};

TEST_F(Janela, ControlesELegendasDaCarga) {
    EXPECT_EQ(janela.objectName(), "frmVareloSync");
    EXPECT_EQ(janela.windowTitle(), QString("VareloSync ") + VARELO_VERSION);
    EXPECT_TRUE(TemRotulo(QString::fromUtf8("Gerenciador de Impressões e monitoramento do Sistema Varelo")));
    EXPECT_TRUE(TemRotulo("Pasta Monitoramento: "));
    EXPECT_TRUE(TemRotulo("Caminho Impressora:"));

    QLineEdit* pasta = Controle<QLineEdit>("txtPasta");
    QLineEdit* impressora = Controle<QLineEdit>("txtImpressora");
    EXPECT_EQ(pasta->text().toStdString(), t.pastaComandas());  // one trailing "\" removed
    EXPECT_TRUE(pasta->isReadOnly());
    EXPECT_EQ(impressora->text(), "LPT2");
    EXPECT_TRUE(impressora->isReadOnly());

    QCheckBox* resumo = Controle<QCheckBox>("chkResumoContaPalm");
    EXPECT_EQ(resumo->text(), "Agrupar produtos no resumo da conta no Palm");
    EXPECT_TRUE(resumo->isChecked());

    EXPECT_EQ(Controle<QPushButton>("cmdIniciar")->text(), "&Parar Monitor");
    EXPECT_EQ(Controle<QPushButton>("cmdSair")->text(), "&Sair");
    EXPECT_EQ(Controle<QPushButton>("cmdAtualizar")->text(), "&Atualizar Palms");
    EXPECT_EQ(Controle<QPushButton>("cmdConsumos")->text(), "Exporta Consumos");
    EXPECT_EQ(Controle<QLabel>("lblMonitor")->text(), "Monitorando...");
    for (const char* lista : {"lstEventos", "lstImp"})
        EXPECT_TRUE(QFontInfo(Controle<QListWidget>(lista)->font()).fixedPitch()) << lista;
}

TEST_F(Janela, InterruptorDoMonitorEPisca) {
    QPushButton* iniciar = Controle<QPushButton>("cmdIniciar");
    QLabel* estado = Controle<QLabel>("lblMonitor");
    monitor.tmrInicio_Timer();
    ASSERT_TRUE(t.timer1.ligado());

    iniciar->click();
    EXPECT_FALSE(t.timer1.ligado());
    EXPECT_EQ(iniciar->text(), "&Iniciar Monitor");
    EXPECT_EQ(estado->text(), "Monitor Parado!");

    iniciar->click();
    EXPECT_TRUE(t.timer1.ligado());
    EXPECT_EQ(iniciar->text(), "&Parar Monitor");
    EXPECT_EQ(estado->text(), "Monitorando...");

    monitor.Timer1_Timer();
    EXPECT_EQ(estado->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    monitor.Timer1_Timer();
    EXPECT_EQ(estado->palette().color(QPalette::WindowText), QColor(192, 0, 0));
}

TEST_F(Janela, ControlesGravamAoMudarOuPerderOFoco) {
    Controle<QCheckBox>("chkResumoContaPalm")->click();
    EXPECT_EQ(t.armazem.le("Varelo", "Config", "ResumoContaPalm", "?"), "0");
    EXPECT_EQ(t.ctx.cfg.ResumoContaPalm, 0);

    QLineEdit* pasta = Controle<QLineEdit>("txtPasta");
    pasta->setText("/srv/comandas");
    PerdeFoco(pasta);
    QLineEdit* impressora = Controle<QLineEdit>("txtImpressora");
    impressora->setText("LPT3");
    PerdeFoco(impressora);
    const std::string ini = CaminhoConfigIni(t.ctx);
    EXPECT_EQ(LeIni("VareloSync", "PastaComanda", "", ini), "/srv/comandas");
    EXPECT_EQ(LeIni("VareloSync", "Impressora", "", ini), "LPT3");
}

TEST_F(Janela, ListasSeguemOsEventosEImpressos) {
    QListWidget* eventos = Controle<QListWidget>("lstEventos");
    const int antes = eventos->count();
    t.eventos.AdicionaEvento("Processando arquivo INCLUSAO4.txt");
    t.eventos.AdicionaEvento(QString::fromUtf8("Não Imprimir").toStdString());
    ASSERT_EQ(eventos->count(), antes + 2);
    EXPECT_EQ(eventos->currentRow(), antes + 1);
    EXPECT_EQ(eventos->item(antes + 1)->text(), QString::fromUtf8("Não Imprimir"));
    while (t.eventos.tamanho() != 0) t.eventos.AdicionaEvento("x");
    EXPECT_EQ(eventos->count(), 0);

    t.impressos.adiciona("05/03/2024 12:00:00 | Pudim | cozinha | 4 | 1");
    EXPECT_EQ(Controle<QListWidget>("lstImp")->count(), 1);
}

}  // namespace
}  // namespace varelo
