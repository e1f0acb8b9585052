#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "app/settings.h"

namespace varelo {

class Arquivos;
class ArmazemUsuario;
class Banco;
class ControleTimer;
class Executor;
class ListaEventos;
class ListaImpressos;
class ListaProcessos;
class Mensagens;
class Relogio;
class SistemaImpressao;

// The procedures that one subsystem calls in another. They are wired once,
// where the program is put together; a procedure left empty does nothing.
struct Procedimentos {
    std::function<void(const std::string& caminho)> InclueItem;
    std::function<void(std::int32_t mesa)> ImprimeCupom;
    std::function<void(std::int32_t pedido)> ImprimeDelivery;
    std::function<void(std::int32_t comanda, const std::string& caminho)> FechaConta;
    std::function<void(const std::string& caminho)> ImprimeDiverso;
    std::function<void(const std::string& pasta, const std::string& comanda)> ExportaConsumos;
    std::function<void(const std::string& pasta)> ExportaProdutos;
    std::function<void(const std::string& pasta)> ExportaAtendentes;
    std::function<void(const std::string& pasta)> ExportaComandas;
    std::function<void(const std::string& pasta)> ExportaQtdes;
    std::function<void(const std::string& pasta)> ExportaObs;
    std::function<void(const std::string& pasta)> VerificaTablet;
    std::function<void()> VerificaPendentes;
    std::function<void(const std::string& pasta)> VerificaDelivery;
    std::function<void()> VerificaRecebComanda;
};

// Calls a wired procedure; an unwired one does nothing.
template <typename F, typename... A>
void Chama(const F& f, A&&... args) {
    if (f) f(std::forward<A>(args)...);
}

// What every procedure of the program shares: the settings, the services it
// talks to and the state of the scan. Built once and passed by reference.
struct Contexto {
    Relogio& relogio;
    Arquivos& arquivos;
    ArmazemUsuario& armazem;
    ListaEventos& eventos;
    ListaImpressos& impressos;
    Banco& banco;
    Mensagens& mensagens;
    ControleTimer& timer1;
    ListaProcessos& processos;
    Executor& executor;
    SistemaImpressao& impressao;

    std::string pastaPrograma;  // the program's folder (or --home)
    std::string nomeExecutavel = "varelosync";  // counted by the single-instance check
    Configuracao cfg;
    Procedimentos procs;

    // State of the scan.
    std::string PastaMonitor;
    std::string ArqAtual;
    std::int16_t ComandaAtual = 0;
};

// Joins a folder and a name with this platform's separator.
std::string Junta(const std::string& pasta, const std::string& nome);

}  // namespace varelo
