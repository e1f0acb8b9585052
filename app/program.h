#pragma once
#include <string>

#include "app/monitor.h"
#include "base/clock.h"
#include "base/daily_log.h"
#include "base/event_list.h"
#include "base/files.h"
#include "base/posix_platform.h"
#include "base/user_store.h"
#include "checks/delivery_check.h"
#include "core/context.h"
#include "db/banco.h"

namespace varelo {

class Agendador;

// What the window or the headless runner supplies: how messages are shown,
// the monitor timer, later work on the event loop, and the printers.
struct Plataforma {
    Mensagens& mensagens;
    ControleTimer& timer1;
    Agendador& agendador;
    SistemaImpressao& impressao;
};

// The program put together: the real clock, disk, per-user store, database
// and process services, the shared context with its procedures wired, and
// the monitor that the event loop drives.
class Programa {
public:
    // `pastaPrograma` holds config.ini; `pastaArmazem` is the per-user store.
    Programa(std::string pastaPrograma, std::string pastaArmazem, Plataforma plataforma);

    Contexto& ctx() { return ctx_; }
    Monitor& monitor() { return monitor_; }
    ListaEventos& eventos() { return eventos_; }
    ListaImpressos& impressos() { return impressos_; }

private:
    RelogioSistema relogio_;
    ArquivosDisco arquivos_;
    ArmazemIni armazem_;
    ListaEventos eventos_;
    ListaImpressos impressos_;
    Banco banco_;
    ProcessosProc processos_;
    ExecutorPosix executor_;
    AvisosDelivery avisos_;
    RegistroDiario registro_;
    Contexto ctx_;
    Monitor monitor_;
};

}  // namespace varelo
