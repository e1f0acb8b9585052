#include "app/gui/qt_platform.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

#include <iostream>

namespace varelo {

TimerQt::TimerQt(int intervaloMs, std::function<void()> aoDisparar, QThread* thread) {
    timer_.setInterval(intervaloMs);
    QObject::connect(&timer_, &QTimer::timeout, std::move(aoDisparar));
    timer_.moveToThread(thread);
}

void AgendadorQt::depois(std::chrono::milliseconds espera, std::function<void()> trabalho) {
    QTimer::singleShot(espera, contexto_, std::move(trabalho));
}

void MensagensCaixa::informa(const std::string& titulo, const std::string& texto) {
    const auto mostra = [&] {
        QMessageBox::information(janela_, QString::fromStdString(titulo), QString::fromStdString(texto));
    };
    QCoreApplication* app = QCoreApplication::instance();
    if (QThread::currentThread() == app->thread()) mostra();
    else QMetaObject::invokeMethod(app, mostra, Qt::BlockingQueuedConnection);
}

void MensagensConsole::informa(const std::string& titulo, const std::string& texto) {
    std::cerr << titulo << ": " << texto << std::endl;
}

}  // namespace varelo
