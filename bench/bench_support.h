// What the database benchmarks share: a context on a scratch folder with a
// clock that never waits, against the server named on the command line
// (the private server of scripts/private-mariadb.sh), and a statement counter.
#pragma once
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/clock.h"
#include "base/event_list.h"
#include "base/files.h"
#include "base/platform.h"
#include "base/user_store.h"
#include "core/context.h"
#include "db/banco.h"
#include "printing/spool_printer.h"

namespace varelo::bench {

namespace fs = std::filesystem;

struct SemEspera final : Relogio {
    DataHora agora() const override { return {2024, 3, 5, 12, 30, 0, 2}; }
    std::chrono::milliseconds decorrido() const override { return {}; }
    void espera(std::chrono::milliseconds) override {}
};
struct SemMensagens final : Mensagens {
    void informa(const std::string&, const std::string& t) override { std::fprintf(stderr, "%s\n", t.c_str()); }
};
struct Timer final : ControleTimer {
    bool on = false;
    void liga() override { on = true; }
    void desliga() override { on = false; }
    bool ligado() const override { return on; }
};
struct SemProcessos final : ListaProcessos {
    std::vector<std::string> nomes() override { return {}; }
};
struct SemComandos final : Executor {
    bool executaEEspera(const std::string&) override { return true; }
    unsigned usuario() const override { return 0; }
    std::string localiza(const std::string&, const std::string&) override { return ""; }
};

inline double Segundos(std::chrono::steady_clock::time_point inicio) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
}

struct Ambiente {
    explicit Ambiente(const std::string& servidor)
        : servidor(servidor),
          raiz(fs::temp_directory_path() / ("varelo-bench-" + std::to_string(::getpid()))),
          armazem((fs::create_directories(raiz / "config"), (raiz / "config").string())),
          banco(eventos, [] { return std::string("MariaDB Unicode"); }, [servidor] { return servidor; }),
          impressao((fs::create_directories(raiz / "impressoras" / "default"), (raiz / "impressoras").string())),
          ctx{relogio, disco, armazem, eventos, impressos, banco, mensagens,
              timer, processos, comandos, impressao} {
        fs::create_directories(raiz / "comandas");
        ctx.pastaPrograma = raiz.string();  // the journals go there, not into the current folder
        ctx.cfg.txtPasta = (raiz / "comandas").string();
        ctx.cfg.AutoImpressao = false;
        banco.observaSql([this](const std::string&) { ++comandosSql; });
    }
    ~Ambiente() { fs::remove_all(raiz); }

    // Removes what an earlier section left in the monitored folder.
    void EsvaziaPasta() {
        for (const auto& nome : disco.lista(ctx.cfg.txtPasta)) disco.apaga(Junta(ctx.cfg.txtPasta, nome));
    }
    void Executa(const std::string& sql) {
        banco.AbreBanco(sql);
        banco.FechaBanco();
    }
    // Mean milliseconds of a trivial statement, with the closing that every
    // procedure does after it, and inside a transaction (connection kept).
    void MedeIdaEVolta(double& comFechamento, double& semFechamento, int vezes = 200) {
        auto inicio = std::chrono::steady_clock::now();
        for (int i = 0; i < vezes; ++i) Executa("Select 1");
        comFechamento = Segundos(inicio) * 1000 / vezes;
        {
            Transacao t(banco);
            inicio = std::chrono::steady_clock::now();
            for (int i = 0; i < vezes; ++i) Executa("Select 1");
            semFechamento = Segundos(inicio) * 1000 / vezes;
        }
    }

    std::string servidor;
    fs::path raiz;
    SemEspera relogio;
    ArquivosDisco disco;
    ArmazemIni armazem;
    ListaEventos eventos;
    ListaImpressos impressos;
    Banco banco;
    SemMensagens mensagens;
    Timer timer;
    SemProcessos processos;
    SemComandos comandos;
    ImpressoraSpool impressao;
    Contexto ctx;
    long comandosSql = 0;
};

inline std::string ServidorDosArgumentos(int argc, char** argv) {
    if (argc > 1) return argv[1];
    std::fprintf(stderr,
                 "usage: %s '127.0.0.1;Port=PORT' [--quick]   (a server from scripts/private-mariadb.sh\n"
                 "       start; its tables are emptied and filled by the benchmark)\n",
                 argv[0]);
    std::exit(2);
}

}  // namespace varelo::bench
