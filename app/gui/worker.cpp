#include "app/gui/worker.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace varelo {

Trabalhador::Trabalhador() : contexto_(new QObject) {
    contexto_->moveToThread(&thread_);
    thread_.start();
}

void Trabalhador::posta(std::function<void()> trabalho) {
    QMetaObject::invokeMethod(contexto_, std::move(trabalho), Qt::QueuedConnection);
}

// The caller's events go on meanwhile: a message box that the work shows on
// the window's thread must not wait for the work.
void Trabalhador::executa(const std::function<void()>& trabalho) {
    QEventLoop espera;
    posta([&espera, &trabalho] {
        trabalho();
        QMetaObject::invokeMethod(&espera, &QEventLoop::quit, Qt::QueuedConnection);
    });
    espera.exec();
}

void Trabalhador::para() {
    if (!thread_.isRunning()) return;
    thread_.quit();  // once the work in hand ends; later work is dropped
    while (!thread_.wait(10)) QCoreApplication::processEvents();
    delete contexto_;
    contexto_ = nullptr;
}

}  // namespace varelo
