#pragma once
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace varelo {

struct Contexto;
class Monitor;

// The main window frmVareloSync: the monitored folder and printer path, the
// summary check box, the monitor switch and status, the export buttons and
// the two lists. It only shows the monitor's state and forwards clicks; the
// behaviour lives in Monitor. Each control's object name is its name in the
// program (txtPasta, cmdIniciar, lstEventos, ...).
class JanelaVareloSync final : public QWidget {
    Q_OBJECT
public:
    JanelaVareloSync(Contexto& ctx, Monitor& monitor, QWidget* pai = nullptr);

    // Puts the loaded settings into the controls (after Form_Load).
    void mostraAjustes();
    // Shows the monitor's captions and colour.
    void mostraEstado();

signals:
    void sairPedido();

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    Contexto& ctx_;
    Monitor& monitor_;
    QLineEdit* txtPasta_;
    QLineEdit* txtImpressora_;
    QCheckBox* chkResumoContaPalm_;
    QPushButton* cmdIniciar_;
    QPushButton* cmdSair_;
    QPushButton* cmdAtualizar_;
    QPushButton* cmdConsumos_;
    QLabel* lblMonitor_;
    QListWidget* lstEventos_;
    QListWidget* lstImp_;
};

}  // namespace varelo
