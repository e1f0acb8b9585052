#pragma once
#include <QObject>
#include <QThread>
#include <QTimer>

#include <functional>

#include "base/platform.h"

class QWidget;

namespace varelo {

// Timer1 on a QTimer of the event loop of `thread` (the monitor's), where it
// fires and is switched.
class TimerQt final : public ControleTimer {
public:
    TimerQt(int intervaloMs, std::function<void()> aoDisparar, QThread* thread);
    void liga() override { timer_.start(); }
    void desliga() override { timer_.stop(); }
    bool ligado() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

// Later work as single-shot timers of the event loop of `contexto`'s thread,
// dropped if `contexto` goes first.
class AgendadorQt final : public Agendador {
public:
    explicit AgendadorQt(QObject* contexto) : contexto_(contexto) {}
    void depois(std::chrono::milliseconds espera, std::function<void()> trabalho) override;

private:
    QObject* contexto_;
};

// Modal information boxes over the window, shown on the window's thread
// while the caller waits for them to close.
class MensagensCaixa final : public Mensagens {
public:
    void defineJanela(QWidget* janela) { janela_ = janela; }
    void informa(const std::string& titulo, const std::string& texto) override;

private:
    QWidget* janela_ = nullptr;
};

// Without a window a message goes to standard error, and the program goes on
// as if the box had been closed.
class MensagensConsole final : public Mensagens {
public:
    void informa(const std::string& titulo, const std::string& texto) override;
};

}  // namespace varelo
