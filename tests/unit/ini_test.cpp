#include "base/ini.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "base/encoding.h"
#include "base/errors.h"
#include "base/user_store.h"
#include "tests/support/scratch_dir.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;

TEST(LeIni, ValorCortadoEm2047Caracteres) {
    PastaTemporaria pasta;
    const std::string longo(3000, 'a');
    const std::string ini = pasta.escreve("l.ini", "[S]\nK=" + longo + "\nA=" + std::string(2100, '\xe3') +
                                                       "\nE=" + std::string(2047, 'b') + "\n");
    EXPECT_EQ(LeIni("S", "K", "", ini), std::string(2047, 'a'));
    EXPECT_EQ(LeIni("S", "E", "", ini), std::string(2047, 'b'));
    EXPECT_EQ(LeIni("S", "Falta", longo, ini), std::string(2047, 'a'));
    // Counted in characters, not bytes: each ã is two bytes of UTF-8.
    EXPECT_EQ(LeIni("S", "A", "", ini), DeCp1252(std::string(2047, '\xe3')));
}

// A file or folder that cannot be written gives false, and a replaced file
// leaves no temporary file next to it. (What is written: functions.txt.)
TEST(GravaIni, FalhasENenhumArquivoTemporario) {
    PastaTemporaria pasta;
    const std::string ini = pasta.escreve("config.ini", "[S]\r\nK=1\r\n");
    EXPECT_TRUE(GravaIni("S", "K", "2", ini));
    EXPECT_EQ(std::distance(fs::directory_iterator(pasta.caminho()), fs::directory_iterator()), 1);
    EXPECT_FALSE(GravaIni("S", "K", "v", pasta.arquivo("nao/existe/a.ini")));
    EXPECT_FALSE(GravaIni("S", "K", "v", pasta.caminho()));
    EXPECT_TRUE(fs::is_directory(pasta.caminho()));
    EXPECT_EQ(LeIni("S", "K", "padrao", pasta.caminho()), "padrao");  // a folder
}

TEST(GravaIni, ArquivoIlegivelFicaIntacto) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    PastaTemporaria pasta;
    const std::string ini = pasta.escreve("a.ini", "[S]\nK=antigo\n");
    fs::permissions(ini, fs::perms::none);
    EXPECT_THROW(LeChaveIni("S", "K", ini), Erro);
    EXPECT_EQ(LeIni("S", "K", "padrao", ini), "padrao");
    EXPECT_FALSE(GravaIni("S", "K", "novo", ini));
    fs::permissions(ini, fs::perms::owner_read);
    EXPECT_EQ(LeIni("S", "K", "padrao", ini), "antigo");
}

TEST(ArmazemIni, UmArquivoPorAplicacaoEFalhasLancamErro) {
    PastaTemporaria pasta;
    ArmazemIni armazem(pasta.caminho());
    armazem.grava("Varelo", "Config", "ResumoContaPalm", "1");
    EXPECT_EQ(armazem.le("Varelo", "config", "resumocontapalm", "0"), "1");
    EXPECT_EQ(pasta.le("Varelo/settings.ini"), "[Config]\nResumoContaPalm=1\n");
    // Another program of the system that writes the same file is seen.
    pasta.escreve("Varelo/settings.ini", "[Config]\r\nImpCupom=Caixa\r\n");
    EXPECT_EQ(armazem.le("Varelo", "Config", "ImpCupom", "Não Imprimir"), "Caixa");
    // Failures are thrown.
    pasta.escreve("arquivo", "nao sou pasta");
    ArmazemIni ruim(pasta.arquivo("arquivo"));
    EXPECT_THROW(ruim.grava("Varelo", "Config", "K", "v"), Erro);
    EXPECT_EQ(ruim.le("Varelo", "Config", "K", "padrao"), "padrao");  // nothing there
    for (const char* app : {"", "..", "a/b"}) EXPECT_THROW(armazem.le(app, "Config", "K", ""), Erro) << app;
    fs::create_directories(pasta.arquivo("Pasta/settings.ini"));
    EXPECT_THROW(armazem.le("Pasta", "Config", "K", ""), Erro);  // exists, unreadable
}

// Sets (or, with nullptr, clears) an environment variable until the end of the scope.
struct Ambiente {
    Ambiente(const char* n, const char* valor) : nome(n) {
        if (const char* v = std::getenv(n)) antigo = v;
        valor ? ::setenv(n, valor, 1) : ::unsetenv(n);
    }
    ~Ambiente() { antigo ? ::setenv(nome, antigo->c_str(), 1) : ::unsetenv(nome); }
    const char* nome;
    std::optional<std::string> antigo;
};

TEST(ArmazemIni, PastaPadraoDoAmbiente) {
    Ambiente home("HOME", "/home/caixa");
    const std::pair<const char*, const char*> casos[] = {
        {"/tmp/xdg-teste", "/tmp/xdg-teste"}, {nullptr, "/home/caixa/.config"}, {"relativo", "/home/caixa/.config"}};
    for (const auto& [xdg, esperado] : casos) {
        Ambiente config("XDG_CONFIG_HOME", xdg);
        EXPECT_EQ(ArmazemIni::PastaPadrao(), esperado) << (xdg ? xdg : "(none)");
    }
}

}  // namespace
}  // namespace varelo
