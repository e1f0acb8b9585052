// The real program, started --headless against the private MariaDB with a
// monitored folder: what it answers, prints and refuses.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/encoding.h"
#include "app/ini.h"
#include "app/startup_settings.h"
#include "tests/support/test_context.h"

extern char** environ;

namespace varelo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string Le(const fs::path& caminho) {
    std::ifstream f(caminho, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// Polls until the condition holds or the time is up: the program works on
// its own clock, the test can only watch.
bool Aguarda(const std::function<bool()>& condicao, std::chrono::seconds limite = 30s) {
    const auto fim = std::chrono::steady_clock::now() + limite;
    while (std::chrono::steady_clock::now() < fim) {
        if (condicao()) return true;
        std::this_thread::sleep_for(50ms);
    }
    return condicao();
}

std::vector<fs::path> Documentos(const fs::path& pasta) {
    std::vector<fs::path> docs;
    for (const auto& e : fs::directory_iterator(pasta))
        if (e.path().extension() == ".txt") docs.push_back(e.path());
    std::sort(docs.begin(), docs.end());
    return docs;
}

// One run of varelosync with its standard output and error in files.
class Execucao {
public:
    Execucao(const std::vector<std::string>& argumentos, const std::string& pasta,
             const std::string& nome)
        : saida_(pasta + "/" + nome + ".out"), erros_(pasta + "/" + nome + ".err") {
        const char* binario = std::getenv("VARELO_BINARY");
        if (!binario) throw std::runtime_error("VARELO_BINARY is not set; run through ctest");
        std::vector<std::string> args{binario};
        args.insert(args.end(), argumentos.begin(), argumentos.end());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t acoes;
        posix_spawn_file_actions_init(&acoes);
        posix_spawn_file_actions_addopen(&acoes, 1, saida_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&acoes, 2, erros_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int falha = posix_spawn(&pid_, binario, &acoes, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&acoes);
        if (falha != 0) throw std::runtime_error("cannot start " + std::string(binario));
    }
    ~Execucao() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    // The exit status, or -1 when it still runs after the limit.
    int Termina(std::chrono::seconds limite = 60s) {
        int estado = 0;
        const bool terminou = Aguarda([&] { return waitpid(pid_, &estado, WNOHANG) == pid_; }, limite);
        if (!terminou) return -1;
        pid_ = 0;
        return WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado);
    }
    void Para() {
        kill(pid_, SIGTERM);
        Termina();
    }
    std::string Saida() const { return Le(saida_); }
    std::string Erros() const { return Le(erros_); }

private:
    std::string saida_, erros_;
    pid_t pid_ = 0;
};

std::size_t Conta(const std::string& texto, const std::string& trecho) {
    std::size_t n = 0;
    for (auto p = texto.find(trecho); p != std::string::npos; p = texto.find(trecho, p + 1)) ++n;
    return n;
}

class ProgramaHeadless : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        const std::string comando = std::string(std::getenv("VARELO_SOURCE_DIR")) +
                                    "/scripts/private-mariadb.sh seed '" +
                                    std::getenv("VARELO_TEST_DB_DIR") + "' >/dev/null";
        ASSERT_EQ(std::system(comando.c_str()), 0);
        const std::string ini = CaminhoConfigIni(t.ctx);
        GravaIni("VareloSync", "PastaComanda", t.pastaComandas(), ini);
        GravaIni("Varelo", "IPServidor", ContextoTeste::IpServidorTeste(), ini);
        GravaIni("Varelo", "Driver", "MariaDB Unicode", ini);
        // The per-user store of the runs is the test's own.
        setenv("XDG_CONFIG_HOME", t.armazem.pastaBase().c_str(), 1);
        argumentos = {"--home", t.pasta.caminho(), "--print-to", t.pasta.arquivo("impressoras"),
                      "--headless"};
    }

    ContextoTeste t;
    std::vector<std::string> argumentos;
};

TEST_F(ProgramaHeadless, AtendeOPalmImprimeERecusaUmaSegundaCopia) {
    const fs::path pasta = t.pastaComandas();
    for (const char* sobra : {"erro4.txt", "okcomanda4.txt", "ConsumoComanda4.txt"})
        t.pedido(sobra, "velho");
    t.pedido("INCLUSAO5.txt", "1;Inteira;5;sem pimenta;5;João;;0\r\n");

    Execucao programa(argumentos, t.pasta.caminho(), "primeira");
    ASSERT_TRUE(Aguarda([&] { return fs::exists(pasta / "okComanda5.txt"); }))
        << programa.Saida() << programa.Erros();
    EXPECT_EQ(Le(pasta / "okComanda5.txt"), "ok\r\n");
    EXPECT_FALSE(fs::exists(pasta / "INCLUSAO5.txt"));
    for (const char* sobra : {"erro4.txt", "okcomanda4.txt", "ConsumoComanda4.txt"})
        EXPECT_FALSE(fs::exists(pasta / sobra)) << sobra;
    for (const char* catalogo : {"cadpro.txt", "atendentes.txt", "Comandas.txt", "cadqtde.txt", "cadobs.txt"})
        EXPECT_TRUE(fs::exists(pasta / catalogo)) << catalogo;
    EXPECT_NE(DeCp1252(Le(pasta / "cadpro.txt")).find("Feijoada Completa"), std::string::npos);
    ASSERT_TRUE(Aguarda([&] { return fs::exists(pasta / "ConsumoComanda5.txt"); }));

    // The table's kitchen ticket goes to the group's printer.
    t.pedido("PRINTM5.txt", "\r\n");
    const fs::path cozinha = t.pasta.arquivo("impressoras/cozinha");
    ASSERT_TRUE(Aguarda([&] { return !Documentos(cozinha).empty() && !fs::exists(pasta / "PRINTM5.txt"); }))
        << programa.Saida();
    const std::string bilhete = Le(Documentos(cozinha).front());
    EXPECT_NE(bilhete.find("Feijoada"), std::string::npos) << bilhete;
    EXPECT_NE(bilhete.find("Obs    : sem pimenta"), std::string::npos) << bilhete;

    // Every event-list line also reaches standard output.
    EXPECT_NE(programa.Saida().find("INCLUSAO5.txt"), std::string::npos) << programa.Saida();

    Execucao segunda(argumentos, t.pasta.caminho(), "segunda");
    EXPECT_EQ(segunda.Termina(), 3) << segunda.Erros();
    EXPECT_EQ(Conta(segunda.Saida(), "JÁ EXISTE UMA INSTANCIA DESTE EXECUTAVEL ABERTO. FINALIZANDO SISTEMA.\n"),
              1000u);
    EXPECT_EQ(Conta(t.consulta("Select count(*) as n from ItemComanda", "n").at(0), "1"), 1u);

    // The first copy goes on serving.
    t.pedido("INCLUSAO6.txt", "10;Dose;6;;6;Maria;;0\r\n");
    EXPECT_TRUE(Aguarda([&] { return fs::exists(pasta / "okComanda6.txt"); })) << programa.Saida();
    programa.Para();
}

TEST_F(ProgramaHeadless, TerminalRecusaComStatusDiferenteDeZero) {
    t.armazem.grava("Varelo", "Config", "Terminal", "1");
    Execucao programa(argumentos, t.pasta.caminho(), "terminal");
    EXPECT_EQ(programa.Termina(), 2);
    EXPECT_NE(programa.Erros().find("Este micro é um terminal do sistema Varelo. O sincronizador do "
                                    "sistema só pode ser aberto no micro servidor. O sistema será "
                                    "finalizado agora."),
              std::string::npos)
        << programa.Erros();
    EXPECT_FALSE(fs::exists(fs::path(t.pastaComandas()) / "cadpro.txt"));
}

TEST_F(ProgramaHeadless, VersaoAjudaEOpcaoDesconhecida) {
    Execucao versao({"--version"}, t.pasta.caminho(), "versao");
    EXPECT_EQ(versao.Termina(), 0);
    EXPECT_EQ(versao.Saida(), std::string("VareloSync ") + VARELO_VERSION + "\n");

    Execucao ajuda({"--help"}, t.pasta.caminho(), "ajuda");
    EXPECT_EQ(ajuda.Termina(), 0);
    EXPECT_NE(ajuda.Saida().find("--headless"), std::string::npos);

    Execucao errada({"--sem-janela"}, t.pasta.caminho(), "errada");
    EXPECT_EQ(errada.Termina(), 1);
    EXPECT_NE(errada.Erros().find("unknown option: --sem-janela"), std::string::npos);
}

}  // namespace
}  // namespace varelo
