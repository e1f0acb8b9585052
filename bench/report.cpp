// The benchmark report: every figure in one run against one server, with
// the machine it ran on, so that the figures can be compared with the floor
// measured beside them. It times nothing against a limit; it fails only
// when a scan or the program did not handle all its requests.
//
//   bench_report '127.0.0.1;Port=PORT' [--quick]
//
// The server's tables are emptied and filled by the report. --quick runs
// every section on small sizes, only to show that they still work.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "bench/sections.h"

using namespace varelo;
using namespace varelo::bench;

namespace {

// The value after "key:" of the first line of /proc/`arquivo` that starts
// with `chave`.
std::string Proc(const char* arquivo, const std::string& chave) {
    std::ifstream f(std::string("/proc/") + arquivo);
    for (std::string linha; std::getline(f, linha);) {
        if (linha.rfind(chave, 0) != 0) continue;
        const auto dois = linha.find(':');
        return dois == std::string::npos ? "" : linha.substr(linha.find_first_not_of(" \t", dois + 1));
    }
    return "?";
}

std::string VersaoDoServidor(Ambiente& a) {
    a.banco.AbreBanco("Select version() as v");
    const std::string v = a.banco.rs().textoOuVazio("v");
    a.banco.FechaBanco();
    return v;
}

}  // namespace

double varelo::bench::SecaoIdaEVolta(Ambiente& a) {
    double comFechamento = 0, semFechamento = 0;
    a.MedeIdaEVolta(comFechamento, semFechamento);
    std::printf("Round trip of a trivial statement (Select 1) over loopback:\n");
    std::printf("  %-44s %6.3f ms\n", "with FechaBanco after it", comFechamento);
    std::printf("  %-44s %6.3f ms\n", "inside a transaction", semFechamento);
    return semFechamento;
}

int main(int argc, char** argv) {
    const std::string servidor = ServidorDosArgumentos(argc, argv);
    Tamanhos tam;
    if (argc > 2 && std::strcmp(argv[2], "--quick") == 0)
        tam = {.inclusoes = 50, .produtos = 200, .comandasAbertas = 20, .arquivosMistos = 100,
               .arquivosSemBanco = 200, .divisoes = 1000, .pedidosLatencia = 4, .produtosRestaurante = 200,
               .comandasRestaurante = 20};
    Ambiente a(servidor);

    std::printf("VareloSync benchmark report\n");
    std::printf("  %-44s %s, %u threads, %s\n", "machine", Proc("cpuinfo", "model name").c_str(),
                std::thread::hardware_concurrency(), Proc("meminfo", "MemTotal").c_str());
    std::printf("  %-44s %s\n", "database server", VersaoDoServidor(a).c_str());
    std::printf("\n");
    const double idaEVolta = SecaoIdaEVolta(a);
    std::printf("\n");
    SecaoInclusao(a, tam.inclusoes, idaEVolta);
    std::printf("\n");
    SecaoExportacao(a, tam.produtos, tam.comandasAbertas);
    std::printf("\n");
    SecaoInicio(a, tam.produtosRestaurante, tam.comandasRestaurante);
    std::printf("\n");
    bool completo = SecaoVarreduraMista(a, tam.arquivosMistos);
    std::printf("\n");
    completo = SecaoVarreduraSemBanco(a, tam.arquivosSemBanco, tam.divisoes) && completo;
    std::printf("\n");
    completo = SecaoLatencia(a, tam.pedidosLatencia, idaEVolta) && completo;
    if (!completo) std::fprintf(stderr, "bench_report: a scan did not handle all its requests\n");
    return completo ? 0 : 1;
}
