#pragma once
#include <QSocketNotifier>

#include <memory>
#include <string>

#include "base/posix_platform.h"

namespace varelo {

class Monitor;

// Scans as soon as a request arrives in the monitored folder: each burst of
// events becomes one scan, posted to the event loop. The tick stays, for
// folders that send no events and for the database checks; at each tick the
// watch follows the folder if the operator chose another one.
class ScanNaChegada {
public:
    // Created on the thread the monitor runs on, where the scans then run.
    ScanNaChegada(const std::string& pasta, Monitor& monitor) : monitor_(monitor) { acompanha(pasta); }

    // Watches `pasta` from now on, if it is not the folder watched already.
    void acompanha(const std::string& pasta);

private:
    void chegou();

    Monitor& monitor_;
    std::string pasta_;
    std::unique_ptr<ObservadorPasta> observador_;
    std::unique_ptr<QSocketNotifier> aviso_;
    bool pendente_ = false;
};

}  // namespace varelo
