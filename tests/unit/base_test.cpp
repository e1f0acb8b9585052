// The foundations against the real file system and this machine: files, INI
// files and the per-user store, the daily log, the event lists, the step
// runner, and running commands and listing processes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <string>

#include "base/clock.h"
#include "base/daily_log.h"
#include "base/encoding.h"
#include "base/errors.h"
#include "base/event_list.h"
#include "base/files.h"
#include "base/ini.h"
#include "base/posix_platform.h"
#include "base/step.h"
#include "base/user_store.h"
#include "tests/support/manual_clock.h"
#include "tests/support/program_run.h"
#include "tests/support/scratch_dir.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;

// ---- Files -------------------------------------------------------------------

// The text of the Erro that `f` throws; empty when it throws none.
std::string ErroDe(const std::function<void()>& f) {
    try {
        f();
    } catch (const Erro& e) {
        return e.what();
    }
    return "";
}

// A scratch folder on the real disk.
class Disco : public ::testing::Test {
protected:
    PastaTemporaria pasta;
    ArquivosDisco disco;
};

TEST_F(Disco, ListaSoArquivosComunsEmOrdem) {
    for (const char* nome : {"PRINTM7.txt", "INCLUSAO12.txt", "cadpro.txt", ".INCLUSAO13.txt.tmp"})
        pasta.escreve(nome, "x");
    fs::create_directory(pasta.arquivo("INCLUSAO99.txt"));
    EXPECT_EQ(disco.lista(pasta.caminho()), (std::vector<std::string>{"INCLUSAO12.txt", "PRINTM7.txt", "cadpro.txt"}));
}

// Replaced in one step, a file that existed keeps its permissions (that no
// temporary file is left beside it is seen by the INI tests); a folder is not
// a file that can be read.
TEST_F(Disco, GravaAtomicoMantemAsPermissoesEPastaNaoSeLe) {
    const std::string cadpro = pasta.escreve("cadpro.txt", "antigo conteudo mais longo");
    const auto modo = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(cadpro, modo);
    disco.gravaAtomico(cadpro, "novo");
    EXPECT_EQ(pasta.le("cadpro.txt"), "novo");
    EXPECT_EQ(fs::status(cadpro).permissions(), modo);
    EXPECT_TRUE(disco.podeLer(cadpro));
    EXPECT_FALSE(disco.podeLer(pasta.caminho()));
}

// (Reading a missing file is seen by the layout tests.)
TEST_F(Disco, FalhasDescrevemOCaminho) {
    const std::string faltando = pasta.arquivo("sumiu.txt");
    EXPECT_EQ(ErroDe([&] { disco.apaga(faltando); }), "Arquivo não encontrado: " + faltando);
    const std::string semPasta = pasta.arquivo("nao/existe.txt");
    EXPECT_NE(ErroDe([&] { disco.grava(semPasta, "x"); }).find(semPasta), std::string::npos);
    EXPECT_NE(ErroDe([&] { disco.gravaAtomico(semPasta, "x"); }).find(semPasta), std::string::npos);
    EXPECT_NE(ErroDe([&] { disco.le(pasta.caminho()); }).find(pasta.caminho()), std::string::npos);
}

// ---- INI files and the per-user store ----------------------------------------

// A file or folder that cannot be written gives false, and a replaced file
// leaves no temporary file next to it. One that cannot be read (here a
// folder) is read as missing and left as it is. (What is written:
// functions.txt.)
TEST_F(Disco, GravaIniFalhasENenhumArquivoTemporario) {
    const std::string ini = pasta.escreve("config.ini", "[S]\r\nK=1\r\n");
    EXPECT_TRUE(GravaIni("S", "K", "2", ini));
    EXPECT_EQ(std::distance(fs::directory_iterator(pasta.caminho()), fs::directory_iterator()), 1);
    EXPECT_FALSE(GravaIni("S", "K", "v", pasta.arquivo("nao/existe/a.ini")));
    EXPECT_FALSE(GravaIni("S", "K", "v", pasta.caminho()));
    EXPECT_TRUE(fs::is_directory(pasta.caminho()));
    EXPECT_EQ(LeIni("S", "K", "padrao", pasta.caminho()), "padrao");
    EXPECT_THROW(LeChaveIni("S", "K", pasta.caminho()), Erro);
}

TEST_F(Disco, ArmazemIniUmArquivoPorAplicacaoEFalhasLancamErro) {
    ArmazemIni armazem(pasta.caminho());
    armazem.grava("Varelo", "Config", "ResumoContaPalm", "1");
    // Where the system's other programs read and write it. (Reading: the INI
    // rows of functions.txt.)
    EXPECT_EQ(pasta.le("Varelo/settings.ini"), "[Config]\nResumoContaPalm=1\n");
    // Failures are thrown.
    pasta.escreve("arquivo", "nao sou pasta");
    ArmazemIni ruim(pasta.arquivo("arquivo"));
    EXPECT_THROW(ruim.grava("Varelo", "Config", "K", "v"), Erro);
    EXPECT_EQ(ruim.le("Varelo", "Config", "K", "padrao"), "padrao");  // nothing there
    for (const char* app : {"", "..", "a/b"}) EXPECT_THROW(armazem.le(app, "Config", "K", ""), Erro) << app;
    fs::create_directories(pasta.arquivo("Pasta/settings.ini"));
    EXPECT_THROW(armazem.le("Pasta", "Config", "K", ""), Erro);  // exists, unreadable
}

// ---- The daily log, the event lists and the step runner --------------------------

TEST_F(Disco, RegistroDiarioUmArquivoPorDiaGuardaTrintaDiasENaoDerrubaOPrograma) {
    fs::create_directories(pasta.arquivo("logs"));
    for (const char* velho : {"varelosync-2024-02-04.log", "varelosync-2024-02-05.log", "outro.txt"})
        pasta.escreve(std::string("logs/") + velho, "x");
    RelogioManual relogio(DataHora{2024, 3, 5, 23, 59, 58});
    RegistroDiario registro(disco, relogio, pasta.arquivo("logs"));
    registro.acrescenta("Processando arquivo INCLUSAO4.txt");
    registro.acrescenta("Não Imprimir");
    relogio.avanca(std::chrono::seconds(3));
    registro.acrescenta("-----------------------------");
    EXPECT_EQ(pasta.le("logs/varelosync-2024-03-05.log"),
              "05/03/2024 23:59:58 Processando arquivo INCLUSAO4.txt\n"
              "05/03/2024 23:59:58 Não Imprimir\n");
    EXPECT_EQ(pasta.le("logs/varelosync-2024-03-06.log"), "06/03/2024 00:00:01 -----------------------------\n");
    // When 6 March begins, 30 days before it is 5 February: older files go,
    // others stay.
    EXPECT_EQ(disco.lista(pasta.arquivo("logs")),
              (std::vector<std::string>{"outro.txt", "varelosync-2024-02-05.log", "varelosync-2024-03-05.log",
                                        "varelosync-2024-03-06.log"}));
    // A folder that cannot be made (a file holds its name) does not end the program.
    RegistroDiario semPasta(disco, relogio, pasta.escreve("arquivo", "sou um arquivo"));
    EXPECT_NO_THROW(semPasta.acrescenta("linha"));
    EXPECT_NO_THROW(semPasta.acrescenta("outra"));
    EXPECT_EQ(pasta.le("arquivo"), "sou um arquivo");
}

// The one step runner: a step's failure is logged and the procedure goes on;
// what ends a whole unit of work goes through.
TEST(Passo, RegistraEContinuaMasDeixaPassarOQueEncerraAUnidade) {
    ListaEventos eventos;
    EXPECT_TRUE(Passo(eventos, [] {}));
    EXPECT_FALSE(Passo(eventos, [] { throw Erro("Tipo incompatível"); }));
    EXPECT_FALSE(Passo(eventos, [] { throw std::out_of_range("fora"); }, "Erro Verificacao Tablet"));
    EXPECT_EQ(eventos.linhas(), (std::vector<std::string>{"Tipo incompatível", "Erro Verificacao Tablet"}));

    EXPECT_THROW(Passo(eventos, [] { throw ErroBanco(2006, "MySQL server has gone away", "08S01"); }), ErroBanco);
    EXPECT_THROW(Passo(eventos, [] { throw PedidoAdiado("diário"); }), PedidoAdiado);
    EXPECT_THROW(Passo(eventos, [] { throw ArquivoNaoGravado("Disco cheio: cadpro.txt"); }), ArquivoNaoGravado);
    EXPECT_THROW(Passo(eventos, [] { throw ServidorIncompativel("caixa"); }), ServidorIncompativel);
    EXPECT_EQ(eventos.tamanho(), 2u);

    long numero = 0;
    Passo([] { throw Erro("pasta", Erro::kAcessoArquivo); }, [&](const Erro& e) { numero = e.numero(); });
    EXPECT_EQ(numero, Erro::kAcessoArquivo);
}

// ---- Running commands and listing processes on this machine -------------------

// True while a process of that id exists and has not ended.
bool Vivo(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string linha;
    if (!std::getline(stat, linha)) return false;
    const auto fim = linha.rfind(')');
    return fim != std::string::npos && linha.size() > fim + 2 && linha[fim + 2] != 'Z';
}

// The line goes through /bin/sh, so commands are found on the PATH; they see
// only its absolute folders: an empty or relative entry would be whatever
// folder the program runs in.
TEST_F(Disco, ExecutorPosixEsperaOComandoTerminarQueVeSoAsPastasAbsolutasDoPath) {
    ListaEventos eventos;
    RelogioSistema relogio;
    ExecutorPosix executor(eventos, relogio);
    const std::string saida = pasta.arquivo("saida.txt");
    EXPECT_TRUE(executor.executaEEspera("sleep 0.2; printf 'feito %s' \"$((1+1))\" > '" + saida + "'"));
    EXPECT_EQ(Le(saida), "feito 2");
    const std::string antes = std::getenv("PATH");
    setenv("PATH", (".::bin:" + antes + ":rel/x").c_str(), 1);
    executor.executaEEspera("printf %s \"$PATH\" > '" + pasta.arquivo("path") + "'");
    setenv("PATH", antes.c_str(), 1);
    EXPECT_EQ(Le(pasta.arquivo("path")), antes);
    EXPECT_TRUE(eventos.linhas().empty());
}

// A command that hangs (a network share that does not answer) is killed with
// its whole process group once 30 s of waiting have passed; on a manual
// clock they cost nothing.
TEST_F(Disco, ExecutorPosixComandoTravadoEhEncerradoComOsFilhosApos30s) {
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

// A file written in place, one renamed into the folder (as a handheld drops
// a request) and one renamed within it are named once each, when the
// writer is done; what only reads or deletes is not. A folder that does not
// exist is not watched.
TEST_F(Disco, ObservadorPastaNomeiaArquivosFechadosOuMovidosParaAPasta) {
    const std::string comandas = pasta.arquivo("comandas"), lido = comandas + "/lido.txt";
    disco.criaPasta(comandas);
    disco.grava(lido, "x");
    ObservadorPasta observador(comandas);
    ASSERT_GE(observador.descritor(), 0);
    EXPECT_TRUE(observador.novos().empty());
    disco.le(lido);
    disco.apaga(lido);
    disco.grava(comandas + "/INCLUSAO7.txt", "15;1;7;;7;Ana;;0\r\n");
    disco.grava(pasta.arquivo("PRINTM3.txt"), "\r\n");
    disco.renomeia(pasta.arquivo("PRINTM3.txt"), comandas + "/PRINTM3.txt");
    disco.grava(comandas + "/.FECHACONTA5.txt", "5\r\n");
    disco.renomeia(comandas + "/.FECHACONTA5.txt", comandas + "/FECHACONTA5.txt");
    EXPECT_EQ(observador.novos(),
              (std::vector<std::string>{"INCLUSAO7.txt", "PRINTM3.txt", ".FECHACONTA5.txt", "FECHACONTA5.txt"}));
    EXPECT_TRUE(observador.novos().empty());
    EXPECT_EQ(ObservadorPasta(pasta.arquivo("sumiu")).descritor(), -1);
}

// (The program's own listing: the program test of a second copy.)
TEST(ProcessosProc, SemListaLancaErro) { EXPECT_THROW(ProcessosProc("/nao/existe/proc").nomes(), Erro); }

}  // namespace
}  // namespace varelo
