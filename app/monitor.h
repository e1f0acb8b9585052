#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace varelo {

struct Contexto;
class Agendador;

// A colour of lblMonitor's text.
struct Cor {
    int r = 0, g = 0, b = 0;
    bool operator==(const Cor&) const = default;
};

// The window's behaviour without the window: loading, the start-up timer,
// the monitor timer, the buttons, and what happens when the database fails.
// The Qt window and the headless runner drive it from their timers and show
// its state; every handler runs to its end on the caller's thread.
class Monitor {
public:
    enum class Carga {
        Pronto,            // settings loaded; start tmrInicio
        Terminal,          // refused on a terminal machine: end the program
        AguardandoBanco,   // the Config table could not be read; retrying
        ServidorIncompativel,  // the server tells table names apart by case: end (status 4)
    };

    Monitor(Contexto& ctx, Agendador& agendador);

    // Form_Load. When the Config table cannot be read, the monitor retries
    // every ten seconds and calls `aoCarregar` once it has loaded.
    Carga Form_Load(std::function<void()> aoCarregar);

    void tmrInicio_Timer();   // once, 500 ms after loading
    void Timer1_Timer();      // each tick of Timer1
    // A request file arrived in the monitored folder: it is scanned now, as
    // at a tick, unless the timer is off (a scan at work, a pause, the
    // operator's stop, a start not yet done).
    void ArquivoChegou();
    void cmdIniciar_Click();
    void cmdAtualizar_Click();
    void cmdConsumos_Click();

    // Window state the view shows.
    const std::string& captionIniciar() const { return captionIniciar_; }
    const std::string& captionMonitor() const { return captionMonitor_; }
    Cor corMonitor() const { return corMonitor_; }

    // Called when the program must end (second copy, a server the program
    // cannot work with): exit status.
    std::function<void(int)> encerra;
    // Called after a handler changed the state shown above.
    std::function<void()> estadoMudou;

    // Runs one handler as a unit of work. A lost connection abandons its
    // work, rolls back, closes the connection and pauses the monitor for ten
    // seconds; a statement the server rejected abandons the work without a
    // pause. False when the handler did not run to its end.
    bool Protege(const std::function<void()>& handler);

    bool emPausa() const { return emPausa_; }

private:
    void TentaCarregarConfig(std::function<void()> aoCarregar);
    void Pausa();
    // The handhelds' catalog files (and all statements), in the order the
    // button writes them; run again whole if the database cuts it short.
    void ExportaCatalogo(const std::string& chave, bool comConsumos);
    void RecusaServidor(const std::string& motivo);
    void avisa();

    Contexto& ctx_;
    Agendador& agendador_;
    std::string captionIniciar_ = "&Parar Monitor";
    std::string captionMonitor_ = "Monitorando...";
    Cor corMonitor_{};
    bool pisca_ = false;
    bool emPausa_ = false;
    // The operator's choice (cmdIniciar), which neither a resume nor a file
    // deletion overrides.
    bool ligadoPeloOperador_ = true;
    bool iniciado_ = false;  // tmrInicio has started the monitor
};

}  // namespace varelo
