#include "app/gui/arrival_scan.h"

#include <QTimer>

#include <algorithm>
#include <vector>

#include "app/monitor.h"
#include "transactions/scan.h"

namespace varelo {

void ScanNaChegada::acompanha(const std::string& pasta) {
    if (observador_ && pasta == pasta_) return;
    aviso_.reset();
    pasta_ = pasta;
    observador_ = std::make_unique<ObservadorPasta>(pasta);
    if (observador_->descritor() < 0) return;
    aviso_ = std::make_unique<QSocketNotifier>(observador_->descritor(), QSocketNotifier::Read);
    QObject::connect(aviso_.get(), &QSocketNotifier::activated, [this] { chegou(); });
}

void ScanNaChegada::chegou() {
    const std::vector<std::string> nomes = observador_->novos();
    const bool pedido = std::any_of(nomes.begin(), nomes.end(), [](const std::string& nome) {
        return nome.empty() || !TipoDoPedido(nome).empty();
    });
    if (!pedido || pendente_) return;
    pendente_ = true;
    QTimer::singleShot(0, aviso_.get(), [this] {
        pendente_ = false;
        monitor_.ArquivoChegou();
    });
}

}  // namespace varelo
