// Running commands and listing processes on this machine.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/clock.h"
#include "app/errors.h"
#include "app/event_list.h"
#include "app/posix_platform.h"
#include "tests/support/manual_clock.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_context.h"
#include "transactions/replies.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;

std::string Conteudo(const std::string& caminho) {
    std::ifstream f(caminho);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

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
    EXPECT_EQ(Conteudo(saida), "feito 2");
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
        for (int i = 0; n == 1 && i < 500 && Conteudo(pidFilho).empty(); ++i) usleep(10000);
    });
    EXPECT_TRUE(executor.executaEEspera(linha));
    EXPECT_EQ(relogio.totalEsperado(), std::chrono::seconds(30));
    EXPECT_EQ(eventos.linhas(), std::vector<std::string>{"Comando encerrado após 30 s sem terminar: " + linha});
    const pid_t filho = std::stoi(Conteudo(pidFilho));
    for (int i = 0; i < 100 && Vivo(filho); ++i) usleep(20000);
    EXPECT_FALSE(Vivo(filho)) << "the command's child still runs";
}

TEST(ProcessosProc, ListaEsteProgramaPeloNomeDoExecutavel) {
    const std::string proprio = fs::read_symlink("/proc/self/exe").filename().string();
    const auto nomes = ProcessosProc().nomes();
    EXPECT_GE(std::count(nomes.begin(), nomes.end(), proprio), 1);
    EXPECT_THROW(ProcessosProc("/nao/existe/proc").nomes(), Erro);
}

// A file held open over the network: the site's arqrede.bat lists the open
// files, and the "Net" command found on the PATH closes the handle.
TEST(ApagaArqRede, ScriptDoSiteEComandoNetDoPath) {
    ContextoTeste t;
    RelogioSistema relogio;
    ExecutorPosix real(t.eventos, relogio);
    t.executor.real = &real;
    t.ctx.PastaMonitor = t.pastaComandas();

    const std::string bin = t.pasta.arquivo("bin");
    fs::create_directories(bin);
    const std::string registro = t.pasta.arquivo("net.log");
    t.pasta.escreve("bin/Net", "#!/bin/sh\necho \"$@\" >> '" + registro + "'\n");
    fs::permissions(bin + "/Net", fs::perms::owner_all);
    const std::string pathAntes = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin + ":" + pathAntes).c_str(), 1);

    const std::string alvo = t.pedido("INCLUSAO4.txt", "1;2;3");
    t.pedido("arqrede.bat", "printf '   123 C:\\\\Comandas\\\\INCLUSAO4.txt\\r\\n    77 C:\\\\x.txt\\r\\n' > '" +
                                t.comanda("abertos.err") + "'\n");
    t.arquivos.falhasApaga = 1;

    ApagaArquivo(t.ctx, alvo);
    setenv("PATH", pathAntes.c_str(), 1);

    EXPECT_EQ(Conteudo(t.comanda("abertos.err")), "   123 C:\\Comandas\\INCLUSAO4.txt\r\n    77 C:\\x.txt\r\n");
    EXPECT_EQ(Conteudo(registro), "files 123 /close\n");
    EXPECT_FALSE(fs::exists(alvo));
}

}  // namespace
}  // namespace varelo
