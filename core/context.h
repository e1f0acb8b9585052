#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/settings.h"

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

// What became of a bill.
enum class ResultadoConta {
    Impressa,     // taken by the printer, the comanda marked closing
    NaoImpressa,  // nothing to print: "Não Imprimir", no comanda, or a failure logged
    Recusada,     // the printer refused it: nothing marked, to be asked again
};

// The procedures that one subsystem calls in another. They are wired once,
// where the program is put together; a procedure left empty does nothing.
struct Procedimentos {
    std::function<void(const std::string& caminho)> InclueItem;
    // The printing procedures report false (or Recusada) when a printer
    // refused a document: the request then waits to be served again.
    std::function<bool(std::int32_t mesa)> ImprimeCupom;
    std::function<bool(std::int32_t pedido)> ImprimeDelivery;
    std::function<ResultadoConta(std::int32_t comanda, const std::string& caminho, const std::string& marcaExtra)>
        FechaConta;
    std::function<bool(const std::string& caminho)> ImprimeDiverso;
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
    std::function<void()> ImprimePendentes;

    // Each entry by name, so that a test can see the wiring fill them all
    // or stand in for one.
    template <typename F>
    void paraCada(F&& f) {
        f("InclueItem", InclueItem);
        f("ImprimeCupom", ImprimeCupom);
        f("ImprimeDelivery", ImprimeDelivery);
        f("FechaConta", FechaConta);
        f("ImprimeDiverso", ImprimeDiverso);
        f("ExportaConsumos", ExportaConsumos);
        f("ExportaProdutos", ExportaProdutos);
        f("ExportaAtendentes", ExportaAtendentes);
        f("ExportaComandas", ExportaComandas);
        f("ExportaQtdes", ExportaQtdes);
        f("ExportaObs", ExportaObs);
        f("VerificaTablet", VerificaTablet);
        f("VerificaPendentes", VerificaPendentes);
        f("VerificaDelivery", VerificaDelivery);
        f("VerificaRecebComanda", VerificaRecebComanda);
        f("ImprimePendentes", ImprimePendentes);
    }
};

// Calls a wired procedure; an unwired one does nothing.
template <typename F, typename... A>
void Chama(const F& f, A&&... args) {
    if (f) f(std::forward<A>(args)...);
}

// Calls a wired procedure for its result; an unwired one gives `padrao`.
template <typename R, typename F, typename... A>
R ChamaOu(R padrao, const F& f, A&&... args) {
    return f ? f(std::forward<A>(args)...) : padrao;
}

// The state of the scan: where it looks, what it is handling now, and what
// it remembers from one scan to the next. The request handlers and checks
// read it; only the scan and the checks that set a comanda write it.
struct EstadoVarredura {
    std::string PastaMonitor;       // the monitored folder of this scan
    std::string ArqAtual;           // the path of the file being handled (last listed after the scan)
    std::int16_t ComandaAtual = 0;  // the number the current request or check works on
    // A request whose content does not end with CR LF yet: what was read and
    // since when (Relogio::decorrido) it has stayed so.
    struct Incompleto {
        std::string conteudo;
        std::chrono::milliseconds desde{};
    };
    // By file name:
    std::map<std::string, Incompleto> incompletos;
    // Scans in a row in which the server rejected a statement of the request.
    std::map<std::string, int> recusas;
};

// An export that a database failure cut short, to be run again whole.
struct ExportacaoPendente {
    std::string chave;  // which file(s) and folder; one entry per key
    std::function<void()> executa;
    int recusas = 0;  // times the server rejected it
};

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

    EstadoVarredura varredura;
    std::vector<ExportacaoPendente> exportacoesPendentes;
};

// Joins a folder and a name with this platform's separator.
std::string Junta(const std::string& pasta, const std::string& nome);

}  // namespace varelo
