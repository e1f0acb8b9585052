// The real program, started --headless against the private MariaDB with a
// monitored folder: what it answers, prints and refuses.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/startup_settings.h"
#include "base/encoding.h"
#include "base/ini.h"
#include "tests/support/private_cups.h"
#include "tests/support/program_run.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

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

    // The handheld simulator gets its answer; an unknown product gets erro.
    const std::string palm = std::string(std::getenv("VARELO_SOURCE_DIR")) + "/scripts/palm.sh '" +
                             pasta.string() + "' INCLUSAO ";
    EXPECT_EQ(std::system((palm + "7 '10;Dose;7;sem açúcar;7;Ana;;0' >/dev/null").c_str()), 0);
    EXPECT_FALSE(fs::exists(pasta / "okComanda7.txt"));
    EXPECT_EQ(t.consulta("Select Obs from ItemComanda where Comanda=7", "Obs"),
              std::vector<std::string>{"sem açúcar"});
    EXPECT_EQ(WEXITSTATUS(std::system((palm + "8 '999;Dose;8;;8;Ana;;0' >/dev/null").c_str())), 1);
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

// A server that tells table names apart by case cannot serve the order
// system's statements: the program says why, in the event list and a
// message box, and ends with status 4 (which the service does not restart).
TEST_F(ProgramaHeadless, ServidorQueDiferenciaMaiusculasERecusadoComStatus4) {
    const std::string script = std::string(std::getenv("VARELO_SOURCE_DIR")) + "/scripts/private-mariadb.sh";
    const std::string servidor = t.pasta.arquivo("lctn0");
    const int porta = PortaLivre();
    ASSERT_EQ(std::system(("VARELO_DB_LOWER_CASE=0 " + script + " start '" + servidor + "' " +
                           std::to_string(porta) + " >/dev/null")
                              .c_str()),
              0);
    GravaIni("Varelo", "IPServidor", "127.0.0.1;Port=" + std::to_string(porta), CaminhoConfigIni(t.ctx));
    Execucao programa(argumentos, t.pasta.caminho(), "maiusculas");
    const int saida = programa.Termina();
    std::system((script + " stop '" + servidor + "' >/dev/null").c_str());
    EXPECT_EQ(saida, 4) << programa.Saida() << programa.Erros();
    EXPECT_NE(programa.Saida().find("(lower_case_table_names=0)"), std::string::npos) << programa.Saida();
    EXPECT_NE(programa.Erros().find("Ajuste lower_case_table_names=1"), std::string::npos) << programa.Erros();
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
