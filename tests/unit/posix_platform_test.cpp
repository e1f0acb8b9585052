// Running commands and listing processes on this machine.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>

#include "base/clock.h"
#include "base/errors.h"
#include "base/event_list.h"
#include "base/posix_platform.h"
#include "tests/support/manual_clock.h"
#include "tests/support/program_run.h"
#include "tests/support/scratch_dir.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;

// True while a process of that id exists and has not ended.
bool Vivo(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string linha;
    if (!std::getline(stat, linha)) return false;
    const auto fim = linha.rfind(')');
    return fim != std::string::npos && linha.size() > fim + 2 && linha[fim + 2] != 'Z';
}

// The line goes through /bin/sh, so commands are found on the PATH.
TEST(ExecutorPosix, EsperaOComandoTerminar) {
    PastaTemporaria pasta;
    ListaEventos eventos;
    RelogioSistema relogio;
    ExecutorPosix executor(eventos, relogio);
    const std::string saida = pasta.arquivo("saida.txt");
    EXPECT_TRUE(executor.executaEEspera("sleep 0.2; printf 'feito %s' \"$((1+1))\" > '" + saida + "'"));
    EXPECT_EQ(Le(saida), "feito 2");
    EXPECT_TRUE(eventos.linhas().empty());
}

// A command that hangs (a network share that does not answer) is killed with
// its whole process group once 30 s of waiting have passed; on a manual
// clock they cost nothing.
TEST(ExecutorPosix, ComandoTravadoEhEncerradoComOsFilhosApos30s) {
    PastaTemporaria pasta;
    ListaEventos eventos;
    RelogioManual relogio;
    ExecutorPosix executor(eventos, relogio);
    const std::string pidFilho = pasta.arquivo("filho.pid");
    const std::string linha = "sleep 60 & echo $! > '" + pidFilho + "'; wait";
    relogio.aoEsperar([&](std::size_t n) {  // the child is started before time runs out
        for (int i = 0; n == 1 && i < 500 && Le(pidFilho).empty(); ++i) usleep(10000);
    });
    EXPECT_TRUE(executor.executaEEspera(linha));
    const auto& esperas = relogio.esperas();
    EXPECT_EQ(std::accumulate(esperas.begin(), esperas.end(), std::chrono::milliseconds(0)), std::chrono::seconds(30));
    EXPECT_EQ(eventos.linhas(), std::vector<std::string>{"Comando encerrado após 30 s sem terminar: " + linha});
    const pid_t filho = std::stoi(Le(pidFilho));
    for (int i = 0; i < 100 && Vivo(filho); ++i) usleep(20000);
    EXPECT_FALSE(Vivo(filho)) << "the command's child still runs";
}

TEST(ProcessosProc, ListaEsteProgramaPeloNomeDoExecutavel) {
    const std::string proprio = fs::read_symlink("/proc/self/exe").filename().string();
    const auto nomes = ProcessosProc().nomes();
    EXPECT_GE(std::count(nomes.begin(), nomes.end(), proprio), 1);
    EXPECT_THROW(ProcessosProc("/nao/existe/proc").nomes(), Erro);
}

// Commands see only the absolute folders of PATH: an empty or relative entry
// would be whatever folder the program runs in.
TEST(ExecutorPosix, ComandoVeSoAsPastasAbsolutasDoPath) {
    PastaTemporaria pasta;
    ListaEventos eventos;
    RelogioSistema relogio;
    ExecutorPosix executor(eventos, relogio);
    const std::string antes = std::getenv("PATH");
    setenv("PATH", (".::bin:" + antes + ":rel/x").c_str(), 1);
    executor.executaEEspera("printf %s \"$PATH\" > '" + pasta.arquivo("path") + "'");
    setenv("PATH", antes.c_str(), 1);
    EXPECT_EQ(Le(pasta.arquivo("path")), antes);
}

}  // namespace
}  // namespace varelo
