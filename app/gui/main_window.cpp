#include "app/gui/main_window.h"

#include <QCheckBox>
#include <QEvent>
#include <QFont>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/monitor.h"
#include "app/startup_settings.h"
#include "base/event_list.h"
#include "core/context.h"

namespace varelo {
namespace {

QString Texto(const std::string& s) { return QString::fromStdString(s); }

// Courier New where it is installed, else the system's fixed-pitch font.
QFont FonteFixa() {
    QFont fonte("Courier New");
    fonte.setStyleHint(QFont::Monospace);
    if (!QFontDatabase::families().contains("Courier New"))
        fonte = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return fonte;
}

QListWidget* Lista(const char* nome, ListaTexto& modelo, QWidget* pai) {
    auto* lista = new QListWidget(pai);
    lista->setObjectName(nome);
    lista->setFont(FonteFixa());
    lista->setUniformItemSizes(true);
    for (const std::string& linha : modelo.linhas()) lista->addItem(Texto(linha));
    // Lines come from the monitor's thread: shown on the window's.
    modelo.observar({[lista](const std::string& linha) {
                         QMetaObject::invokeMethod(lista, [lista, texto = Texto(linha)] {
                             lista->addItem(texto);
                             lista->setCurrentRow(lista->count() - 1);
                         });
                     },
                     [lista] { QMetaObject::invokeMethod(lista, [lista] { lista->clear(); }); }});
    return lista;
}

QPushButton* Botao(const char* nome, const char* legenda, QWidget* pai) {
    auto* b = new QPushButton(QString::fromUtf8(legenda), pai);
    b->setObjectName(nome);
    return b;
}

}  // namespace

JanelaVareloSync::JanelaVareloSync(Contexto& ctx, Monitor& monitor, Posta posta, QWidget* pai)
    : QWidget(pai),
      ctx_(ctx),
      monitor_(monitor),
      posta_(posta ? std::move(posta) : [](std::function<void()> trabalho) { trabalho(); }) {
    setObjectName("frmVareloSync");
    setWindowTitle(Texto(TituloJanela()));

    auto* titulo = new QLabel(
        QString::fromUtf8("Gerenciador de Impressões e monitoramento do Sistema Varelo"), this);
    titulo->setObjectName("lblTitulo");
    QFont grande = titulo->font();
    grande.setBold(true);
    grande.setPointSizeF(grande.pointSizeF() * 1.3);
    titulo->setFont(grande);

    auto* lblPasta = new QLabel("Pasta Monitoramento: ", this);
    txtPasta_ = new QLineEdit(this);
    txtPasta_->setObjectName("txtPasta");
    auto* lblImpressora = new QLabel("Caminho Impressora:", this);
    txtImpressora_ = new QLineEdit(this);
    txtImpressora_->setObjectName("txtImpressora");
    for (QLineEdit* t : {txtPasta_, txtImpressora_}) {
        t->setReadOnly(true);  // shown, not edited
        t->installEventFilter(this);
    }
    chkResumoContaPalm_ =
        new QCheckBox("Agrupar produtos no resumo da conta no Palm", this);
    chkResumoContaPalm_->setObjectName("chkResumoContaPalm");

    cmdIniciar_ = Botao("cmdIniciar", "&Parar Monitor", this);
    lblMonitor_ = new QLabel("Monitorando...", this);
    lblMonitor_->setObjectName("lblMonitor");
    cmdSair_ = Botao("cmdSair", "&Sair", this);
    cmdAtualizar_ = Botao("cmdAtualizar", "&Atualizar Palms", this);
    cmdConsumos_ = Botao("cmdConsumos", "Exporta Consumos", this);

    lstEventos_ = Lista("lstEventos", ctx_.eventos, this);
    lstImp_ = Lista("lstImp", ctx_.impressos, this);
    lstImpressoras_ = new QListWidget(this);
    lstImpressoras_->setObjectName("lstImpressoras");
    lstImpressoras_->setFont(FonteFixa());
    lstImpressoras_->setSelectionMode(QAbstractItemView::NoSelection);

    auto* campos = new QGridLayout;
    campos->addWidget(lblPasta, 0, 0);
    campos->addWidget(txtPasta_, 0, 1);
    campos->addWidget(lblImpressora, 1, 0);
    campos->addWidget(txtImpressora_, 1, 1);
    campos->addWidget(chkResumoContaPalm_, 2, 1);

    auto* botoes = new QHBoxLayout;
    botoes->addWidget(cmdIniciar_);
    botoes->addWidget(lblMonitor_);
    botoes->addStretch();
    botoes->addWidget(cmdAtualizar_);
    botoes->addWidget(cmdConsumos_);
    botoes->addWidget(cmdSair_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(titulo);
    layout->addLayout(campos);
    layout->addLayout(botoes);
    layout->addWidget(lstEventos_, 3);
    auto* impressoras = new QVBoxLayout;
    impressoras->addWidget(new QLabel("Impressoras", this));
    impressoras->addWidget(lstImpressoras_);
    auto* baixo = new QHBoxLayout;
    baixo->addWidget(lstImp_, 3);
    baixo->addLayout(impressoras, 1);
    layout->addLayout(baixo, 2);
    resize(820, 600);

    monitor_.estadoMudou = [this] { mostraEstado(); };
    connect(cmdIniciar_, &QPushButton::clicked, this, [this] { posta_([this] { monitor_.cmdIniciar_Click(); }); });
    connect(cmdAtualizar_, &QPushButton::clicked, this, [this] { posta_([this] { monitor_.cmdAtualizar_Click(); }); });
    connect(cmdConsumos_, &QPushButton::clicked, this, [this] { posta_([this] { monitor_.cmdConsumos_Click(); }); });
    connect(cmdSair_, &QPushButton::clicked, this, &JanelaVareloSync::sairPedido);
    connect(chkResumoContaPalm_, &QCheckBox::toggled, this, [this](bool marcado) {
        posta_([this, marcado] {
            ctx_.cfg.ResumoContaPalm = marcado ? 1 : 0;
            GravaResumoContaPalm(ctx_);
        });
    });
}

void JanelaVareloSync::mostraAjustes() {
    txtPasta_->setText(Texto(ctx_.cfg.txtPasta));
    txtImpressora_->setText(Texto(ctx_.cfg.txtImpressora));
    // A stored 1 checks the box, which stores it again, as any change does.
    chkResumoContaPalm_->setChecked(ctx_.cfg.ResumoContaPalm != 0);
    mostraEstado();
}

void JanelaVareloSync::mostraImpressoras(const std::vector<std::string>& linhas) {
    QStringList textos;
    for (const std::string& linha : linhas) textos << Texto(linha);
    QMetaObject::invokeMethod(this, [this, textos] {
        lstImpressoras_->clear();
        lstImpressoras_->addItems(textos);
    });
}

void JanelaVareloSync::mostraEstado() {
    const Cor c = monitor_.corMonitor();
    QMetaObject::invokeMethod(this, [this, iniciar = Texto(monitor_.captionIniciar()),
                                     estado = Texto(monitor_.captionMonitor()), cor = QColor(c.r, c.g, c.b)] {
        mostra(iniciar, estado, cor);
    });
}

void JanelaVareloSync::mostra(const QString& iniciar, const QString& monitor, const QColor& cor) {
    cmdIniciar_->setText(iniciar);
    lblMonitor_->setText(monitor);
    QPalette paleta = lblMonitor_->palette();
    paleta.setColor(QPalette::WindowText, cor);
    lblMonitor_->setPalette(paleta);
}

bool JanelaVareloSync::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() == QEvent::FocusOut) {
        if (objeto == txtPasta_) {
            posta_([this, pasta = txtPasta_->text().toStdString()] {
                ctx_.cfg.txtPasta = pasta;
                GravaPastaComanda(ctx_);
            });
        } else if (objeto == txtImpressora_) {
            posta_([this, impressora = txtImpressora_->text().toStdString()] {
                ctx_.cfg.txtImpressora = impressora;
                GravaImpressora(ctx_);
            });
        }
    }
    return QWidget::eventFilter(objeto, evento);
}

}  // namespace varelo
