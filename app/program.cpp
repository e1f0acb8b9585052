#include "app/program.h"

#include "app/wiring.h"

namespace varelo {

Programa::Programa(std::string pastaPrograma, std::string pastaArmazem, Plataforma p)
    : armazem_(std::move(pastaArmazem)),
      banco_(eventos_, [this] { return ctx_.cfg.Driver; }, [this] { return ctx_.cfg.IPServidor; },
             [this] { return ctx_.cfg.credenciais; }),
      executor_(eventos_, relogio_),
      registro_(arquivos_, relogio_, Junta(pastaPrograma, "logs")),
      ctx_{relogio_, arquivos_, armazem_, eventos_, impressos_, banco_, p.mensagens,
           p.timer1, processos_, executor_, p.impressao},
      monitor_(ctx_, p.agendador) {
    ctx_.pastaPrograma = std::move(pastaPrograma);
    LigaProcedimentos(ctx_, avisos_);
    eventos_.observar({[this](const std::string& linha) { registro_.acrescenta(linha); }, {}});
}

}  // namespace varelo
