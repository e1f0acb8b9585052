#pragma once
#include <QObject>
#include <QThread>

#include <functional>

namespace varelo {

// The thread the monitor and every procedure run on, one piece of work at a
// time, so that the window's event loop never waits for a scan, a print, a
// retry or a pause. The monitor's timers, the folder watch and later work
// live on it (contexto()); the window posts its buttons' work to it.
class Trabalhador {
public:
    Trabalhador();
    ~Trabalhador() {
        para();
        delete contexto_;
    }
    Trabalhador(const Trabalhador&) = delete;
    Trabalhador& operator=(const Trabalhador&) = delete;

    // The object whose thread is the worker's: the context of its timers.
    QObject* contexto() const { return contexto_; }
    // Runs `trabalho` on the worker after what is already posted.
    void posta(std::function<void()> trabalho);
    // Runs `trabalho` on the worker and waits for its end, the caller's event
    // loop running meanwhile (not from the worker).
    void executa(const std::function<void()>& trabalho);
    // Lets the work in hand end, drops the later work and ends the thread.
    void para();

private:
    QThread thread_;
    QObject* contexto_;
};

}  // namespace varelo
