#include "app/gui/qt_platform.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <iostream>

namespace varelo {

TimerQt::TimerQt(int intervaloMs, std::function<void()> aoDisparar) {
    timer_.setInterval(intervaloMs);
    QObject::connect(&timer_, &QTimer::timeout, std::move(aoDisparar));
}

void AgendadorQt::depois(std::chrono::milliseconds espera, std::function<void()> trabalho) {
    QTimer::singleShot(espera, QCoreApplication::instance(), std::move(trabalho));
}

void MensagensCaixa::informa(const std::string& titulo, const std::string& texto) {
    QMessageBox::information(janela_, QString::fromStdString(titulo), QString::fromStdString(texto));
}

void MensagensConsole::informa(const std::string& titulo, const std::string& texto) {
    std::cerr << titulo << ": " << texto << std::endl;
}

}  // namespace varelo
