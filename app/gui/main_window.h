#pragma once
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

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
// The monitor may run on another thread: the clicks and edits are handed to
// `posta`, which runs them there (without it, at once), and what the monitor
// and the lists report from there is shown on the window's own thread.
class JanelaVareloSync final : public QWidget {
    Q_OBJECT
public:
    using Posta = std::function<void(std::function<void()>)>;
    JanelaVareloSync(Contexto& ctx, Monitor& monitor, Posta posta = {}, QWidget* pai = nullptr);

    // Puts the loaded settings into the controls (after Form_Load, while the
    // monitor's thread is idle).
    void mostraAjustes();
    // The printers' panel, one line each ("Cozinha: pronta"); from any thread.
    void mostraImpressoras(const std::vector<std::string>& linhas);

signals:
    void sairPedido();

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    // The monitor's captions and colour, read where the monitor runs.
    void mostraEstado();
    void mostra(const QString& iniciar, const QString& monitor, const QColor& cor);

    Contexto& ctx_;
    Monitor& monitor_;
    Posta posta_;
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
    QListWidget* lstImpressoras_;
};

}  // namespace varelo
