// Latency: the real program runs headless against the same server, and
// requests are dropped into its monitored folder as a handheld drops them
// (written under a hidden name, then renamed) at random gaps. Measured: the
// time from the rename to the reply file of an INCLUSAO, and to the removal
// of a PRINTM once its ticket is printed.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

#include "base/encoding.h"
#include "base/ini.h"
#include "base/user_store.h"
#include "bench/sections.h"
#include "tests/support/program_run.h"

namespace varelo::bench {
namespace {

using namespace std::chrono_literals;
using Instante = std::chrono::steady_clock::time_point;

// The program built beside this report, unless VARELO_BINARY names one.
std::string Binario() {
    const char* binario = std::getenv("VARELO_BINARY");
    if (binario && *binario) return binario;
    return (fs::canonical("/proc/self/exe").parent_path().parent_path() / "varelosync").string();
}

// Writes the request under a hidden name and renames it into place: the
// moment of the rename.
Instante Solta(Arquivos& disco, const fs::path& pasta, const std::string& nome, const std::string& conteudo) {
    disco.grava((pasta / ("." + nome)).string(), conteudo);
    disco.renomeia((pasta / ("." + nome)).string(), (pasta / nome).string());
    return std::chrono::steady_clock::now();
}

// Milliseconds from `desde` until the file exists (or, with `existe`
// false, is gone), polled every half millisecond; -1 after ten seconds.
double Aguarda(const fs::path& arquivo, bool existe, Instante desde) {
    while (fs::exists(arquivo) != existe) {
        if (std::chrono::steady_clock::now() - desde > 10s) return -1;
        std::this_thread::sleep_for(500us);
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - desde).count();
}

// Median, 95th percentile and maximum; false when a request was never served.
bool Imprime(const char* nome, std::vector<double> ms) {
    if (ms.empty()) return true;
    const bool servidos = std::none_of(ms.begin(), ms.end(), [](double x) { return x < 0; });
    std::sort(ms.begin(), ms.end());
    const std::size_t p95 = static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(ms.size()))) - 1;
    std::printf("  %-34s median %7.1f ms, 95th %7.1f ms, max %7.1f ms%s\n", nome, ms[ms.size() / 2], ms[p95],
                ms.back(), servidos ? "" : "  (some never served)");
    return servidos;
}

}  // namespace

bool SecaoLatencia(Ambiente& a, int pedidos, double idaEVolta) {
    PreparaInclusoes(a);
    a.EsvaziaPasta();
    const fs::path home = a.raiz / "programa", pasta = a.ctx.cfg.txtPasta;
    for (const char* impressora : {"default", "cozinha"}) fs::create_directories(home / "impressoras" / impressora);
    const std::string ini = (home / "config.ini").string();
    GravaIni("VareloSync", "PastaComanda", pasta.string(), ini);
    GravaIni("Varelo", "IPServidor", a.servidor, ini);
    GravaIni("Varelo", "Driver", "MariaDB Unicode", ini);
    fs::create_directories(home / "config");
    ArmazemIni((home / "config").string()).grava("Varelo", "Config", "ImpCupom", "default");
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    // A copy under a name of its own: the program refuses to run beside
    // another copy of the same name (a demo, a test).
    const fs::path copia = a.raiz / "vs-bench";
    fs::copy_file(Binario(), copia, fs::copy_options::overwrite_existing);
    ::setenv("VARELO_BINARY", copia.c_str(), 1);
    Execucao programa({"--home", home.string(), "--print-to", (home / "impressoras").string(), "--headless"},
                      a.raiz.string(), "programa");
    // Started once its start-up export has written the catalog.
    if (Aguarda(pasta / "cadpro.txt", true, std::chrono::steady_clock::now()) < 0) {
        std::fprintf(stderr, "bench_report: the program did not start:\n%s", programa.Erros().c_str());
        return false;
    }

    std::mt19937 sorteio(2024);
    std::uniform_int_distribution<int> intervalo(50, 400);
    std::vector<double> inclusoes, impressoes;
    for (int i = 0; i < pedidos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(intervalo(sorteio)));
        const std::string comanda = std::to_string(i % 50 + 1);
        const Instante solto = Solta(a.disco, pasta, "INCLUSAO" + comanda + ".txt",
                                     ParaCp1252("15;Inteira;" + comanda + ";'sem gelo; com limão';7;A1;;0\r\n"));
        inclusoes.push_back(Aguarda(pasta / ("okComanda" + comanda + ".txt"), true, solto));
        fs::remove(pasta / ("okComanda" + comanda + ".txt"));  // as the handheld does once it has read it
        if (i % 2 == 0) continue;
        std::this_thread::sleep_for(std::chrono::milliseconds(intervalo(sorteio)));
        impressoes.push_back(Aguarda(pasta / "PRINTM7.txt", false, Solta(a.disco, pasta, "PRINTM7.txt", "\r\n")));
    }
    programa.Para();

    std::printf("Latency, the program running headless, %d INCLUSAO and %d PRINTM dropped at random gaps:\n",
                pedidos, pedidos / 2);
    bool servidos = Imprime("INCLUSAO, rename to reply", inclusoes);
    servidos = Imprime("PRINTM, rename to removal", impressoes) && servidos;
    std::printf("  %-34s %7.3f ms\n", "round trip of a trivial statement", idaEVolta);
    return servidos;
}

}  // namespace varelo::bench
