// How long one scan takes over a folder full of requests, and how fast
// request lines are split. Prints its figures; asserts nothing.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/clock.h"
#include "bench/bench_support.h"
#include "app/context.h"
#include "app/encoding.h"
#include "app/event_list.h"
#include "app/files.h"
#include "app/platform.h"
#include "app/user_store.h"
#include "db/banco.h"
#include "printing/spool_printer.h"
#include "transactions/record.h"
#include "transactions/replies.h"
#include "transactions/scan.h"

namespace fs = std::filesystem;
using namespace varelo;
using namespace varelo::bench;

int main(int argc, char** argv) {
    const int arquivos = argc > 1 ? std::atoi(argv[1]) : 10000;
    const fs::path raiz = fs::temp_directory_path() / ("varelo-bench-" + std::to_string(::getpid()));
    fs::create_directories(raiz / "comandas");
    fs::create_directories(raiz / "impressoras" / "default");

    SemEspera relogio;
    ArquivosDisco disco;
    ArmazemIni armazem((raiz / "config").string());
    ListaEventos eventos;
    ListaImpressos impressos;
    Banco banco(eventos, [] { return std::string("nenhum"); }, [] { return std::string("nenhum"); });
    SemMensagens mensagens;
    Timer timer;
    SemProcessos processos;
    SemComandos comandos;
    ImpressoraSpool impressao((raiz / "impressoras").string());
    Contexto ctx{relogio, disco, armazem, eventos, impressos, banco, mensagens,
                 timer, processos, comandos, impressao};
    ctx.cfg.txtPasta = (raiz / "comandas").string();
    ctx.cfg.AutoImpressao = false;

    // Each request is read and split as the inclusion does, then deleted.
    long campos = 0;
    ctx.procs.InclueItem = [&](const std::string& caminho) {
        std::array<std::string, 8> a;
        ParseToArrayPvirg(LeArquivo(disco, relogio, caminho), a);
        campos += static_cast<long>(a[3].size());
        ApagaArquivo(ctx, caminho);
    };

    const std::string linha = ParaCp1252("15;Inteira;42;'sem gelo; com limão';7;A1;;0\r\n");
    for (int i = 1; i <= arquivos; ++i)
        disco.grava((raiz / "comandas" / ("INCLUSAO" + std::to_string(i % 30000 + 1) + "_" +
                                          std::to_string(i) + ".txt")).string(), linha);

    auto inicio = std::chrono::steady_clock::now();
    VarreDirs(ctx);
    const double scan = Segundos(inicio);

    inicio = std::chrono::steady_clock::now();
    const int vezes = 200000;
    std::array<std::string, 8> a;
    for (int i = 0; i < vezes; ++i) ParseToArrayPvirg("15;Inteira;42;'sem gelo; com limao';7;A1;;0", a);
    const double divisao = Segundos(inicio);

    std::printf("scan of %d request files: %.3f s (%.1f us per file), %zu left\n", arquivos, scan,
                scan * 1e6 / arquivos, disco.lista(ctx.cfg.txtPasta).size());
    std::printf("record split: %.0f lines/s\n", vezes / divisao);
    fs::remove_all(raiz);
    return campos > 0 ? 0 : 1;
}
