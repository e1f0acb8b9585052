// Running commands and listing processes on this machine.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/clock.h"
#include "base/errors.h"
#include "base/event_list.h"
#include "base/posix_platform.h"
#include "core/replies.h"
#include "tests/support/manual_clock.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_context.h"

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
    EXPECT_EQ(Conteudo(pasta.arquivo("path")), antes);
}

// The shared folder's scene for the network-close fallback: a file that
// cannot be deleted, the list of open files naming it, the real executor.
struct ArquivoPreso {
    ArquivoPreso() {
        t.executor.real = &real;
        t.ctx.varredura.PastaMonitor = t.pastaComandas();
        alvo = t.pedido("INCLUSAO4.txt", "1;2;3");
        t.arquivos.falhasApaga = 1;
    }
    // A script at `caminho` that leaves a mark when it runs.
    std::string script(const std::string& caminho, fs::perms modo) {
        t.pasta.escreve(fs::relative(caminho, t.pasta.caminho()), "touch '" + marca + "'\n");
        fs::permissions(caminho, modo);
        return caminho;
    }
    // A Net command in `pasta` that logs its arguments to `registro`.
    void net(const std::string& pasta, const std::string& registro) {
        fs::create_directories(pasta);
        std::ofstream(pasta + "/Net") << "#!/bin/sh\necho \"$@\" >> '" << registro << "'\n";
        fs::permissions(pasta + "/Net", fs::perms::owner_all);
    }

    ContextoTeste t;
    RelogioSistema relogio;
    ExecutorPosix real{t.eventos, relogio};
    std::string alvo;
    std::string marca = t.pasta.arquivo("rodou");
};

// Anyone who can write to the shared folder could have dropped arqrede.bat
// there: it runs only when root or the program's user owns it and nobody
// else may change it, as sudo and sshd check their files. Otherwise one line
// says why and the fallback goes on as without the script.
TEST(ApagaArqRede, SoRodaScriptQueUmEstranhoNaoPodeTerEscrito) {
    using fs::perms;
    struct Caso {
        std::string nome;
        perms modo;
        bool deOutroUsuario = false;
        bool link = false;
        std::string recusa;  // empty: it runs
    };
    const perms rw = perms::owner_read | perms::owner_write;
    const std::vector<Caso> casos = {
        {"do administrador", rw | perms::group_read | perms::others_read},
        {"executável", perms::owner_all | perms::group_read | perms::group_exec},
        {"gravável por todos", rw | perms::group_read | perms::group_write | perms::others_read | perms::others_write,
         false, false, "outros usuários podem alterá-lo (permissões 0666)"},
        {"gravável pelo grupo", rw | perms::group_read | perms::group_write, false, false,
         "outros usuários podem alterá-lo (permissões 0660)"},
        {"de outro usuário", rw, true, false, "o dono é o usuário 65534, não root nem o usuário do programa"},
        {"link para o do administrador", rw, false, true, "não é um arquivo comum"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        if (c.deOutroUsuario && ::geteuid() != 0) continue;  // giving a file away needs root
        ArquivoPreso a;
        const std::string bat = a.t.comanda("arqrede.bat");
        if (c.link) {
            fs::create_symlink(a.script(a.t.pasta.arquivo("admin.sh"), c.modo), bat);
        } else {
            a.script(bat, c.modo);
            if (c.deOutroUsuario) ASSERT_EQ(::chown(bat.c_str(), 65534, 65534), 0);
        }
        ApagaArquivo(a.t.ctx, a.alvo);
        const auto eventos = a.t.novosEventos();
        EXPECT_EQ(fs::exists(a.marca), c.recusa.empty());
        EXPECT_EQ(Contem(eventos, "arqrede.bat recusado: " + c.recusa), !c.recusa.empty());
        EXPECT_TRUE(Contem(eventos, "Não foi possivel apagar o arquivo da rede"));
    }
}

// The Net command is the one on the program's PATH: never one dropped in the
// shared folder, even when PATH names that folder or the running folder.
TEST(ApagaArqRede, ComandoNetSoDoPathNuncaDaPastaMonitorada) {
    ArquivoPreso a;
    a.t.pedido("arqrede.bat", "printf '   123 C:\\\\Comandas\\\\INCLUSAO4.txt\\r\\n    77 C:\\\\x.txt\\r\\n' > '" +
                                  a.t.comanda("abertos.err") + "'\n");
    fs::permissions(a.t.comanda("arqrede.bat"), fs::perms(0644));
    const std::string plantado = a.t.pasta.arquivo("plantado.log");
    a.net(a.t.pastaComandas(), plantado);
    const std::string antes = std::getenv("PATH");
    setenv("PATH", (a.t.pastaComandas() + ":.:" + antes).c_str(), 1);
    a.t.arquivos.falhasApaga = 100;  // every retry fails too
    ApagaArquivo(a.t.ctx, a.alvo);
    EXPECT_TRUE(Contem(a.t.novosEventos(), "Comando Net não encontrado no PATH"));
    EXPECT_TRUE(fs::exists(a.alvo));

    const std::string registro = a.t.pasta.arquivo("net.log");
    a.net(a.t.pasta.arquivo("bin"), registro);
    setenv("PATH", (a.t.pastaComandas() + ":.:" + a.t.pasta.arquivo("bin") + ":" + antes).c_str(), 1);
    a.t.arquivos.falhasApaga = 1;
    ApagaArquivo(a.t.ctx, a.alvo);
    setenv("PATH", antes.c_str(), 1);
    EXPECT_EQ(Conteudo(a.t.comanda("abertos.err")), "   123 C:\\Comandas\\INCLUSAO4.txt\r\n    77 C:\\x.txt\r\n");
    EXPECT_EQ(Conteudo(registro), "files 123 /close\n");
    EXPECT_FALSE(fs::exists(plantado));
    EXPECT_FALSE(fs::exists(a.alvo));
}

}  // namespace
}  // namespace varelo
