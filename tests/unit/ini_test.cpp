#include "base/ini.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <tuple>

#include "base/encoding.h"
#include "base/errors.h"
#include "base/user_store.h"
#include "tests/support/scratch_dir.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;

// One line of source per section.
const std::string kConfig =
    "solta=antes da primeira secao\r\n; config of the synchronizer\r\n"
    "[VareloSync]\r\nPastaComanda = D:\\Comandas\\ \r\nImpressora=\"LPT2\"\r\nVazia=\r\n\r\n"
    "[Varelo]\r\n;Driver=comentario\r\nIPServidor=192.168.0.10\r\nNome=Bar do Zé\r\n"
    "[varelosync]\r\nPastaComanda=segunda secao nao conta\r\n";

// Sections and keys without regard to case or surrounding blanks; the first
// section of a name wins; a key of another section or in a comment is
// missing, and one before the first section is in the section with no name.
TEST(LeIni, ChavesEValoresPadrao) {
    PastaTemporaria pasta;
    const std::string ini = pasta.escreve("config.ini", kConfig);
    const std::tuple<const char*, const char*, const char*, const char*> casos[] = {
        {" varelosync ", " PASTACOMANDA ", "x", "D:\\Comandas\\"}, {"Varelo", "IPServidor", "x", "192.168.0.10"},
        {"Varelo", "Nome", "x", "Bar do Zé"}, {"VareloSync", "Impressora", "LPT1", "LPT2"},  // quotes dropped
        {"VareloSync", "Vazia", "padrao", ""},  // present, empty
        {"VareloSync", "IPServidor", "padrao", "padrao"}, {"Outra", "Nome", "padrao", "padrao"},
        {"VareloSync", "solta", "padrao", "padrao"}, {"", "solta", "x", "antes da primeira secao"},
        {"Varelo", ";Driver", "padrao", "padrao"}};
    for (const auto& [secao, chave, padrao, esperado] : casos)
        EXPECT_EQ(LeIni(secao, chave, padrao, ini), esperado) << secao << '/' << chave;
    EXPECT_EQ(LeIni("Varelo", "IPServidor", "padrao", pasta.arquivo("falta.ini")), "padrao");
    EXPECT_EQ(LeIni("Varelo", "IPServidor", "padrao", pasta.caminho()), "padrao");  // a folder
}

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

// An older installation's file: Windows-1252, LF only, no final line end.
// It is read as such and written back as UTF-8.
TEST(GravaIni, ArquivoAntigoLidoEReescritoEmUtf8) {
    PastaTemporaria pasta;
    const std::string ini = pasta.escreve("a.ini", "[Config]\nNome=Lanchonete S\xe3o Jo\xe3o\nUF=SP");
    EXPECT_EQ(LeIni("Config", "Nome", "", ini), "Lanchonete São João");
    EXPECT_EQ(LeIni("Config", "UF", "", ini), "SP");
    EXPECT_TRUE(GravaIni("Config", "UF", "RJ", ini));
    EXPECT_EQ(pasta.le("a.ini"), "[Config]\nNome=Lanchonete São João\nUF=RJ\n");
}

// A value is one line: its line breaks become spaces. A file that cannot be
// written gives false.
TEST(GravaIni, CriaArquivoSecaoEChave) {
    PastaTemporaria pasta;
    const std::string ini = pasta.arquivo("config.ini");
    EXPECT_TRUE(GravaIni("VareloSync", "PastaComanda", "D:\\Comandas", ini));
    EXPECT_TRUE(GravaIni("VareloSync", "Impressora", "um\r\ndois", ini));
    EXPECT_TRUE(GravaIni("Varelo", "IPServidor", "servidor", ini));
    EXPECT_EQ(pasta.le("config.ini"),
              "[VareloSync]\nPastaComanda=D:\\Comandas\nImpressora=um  dois\n\n[Varelo]\nIPServidor=servidor\n");
    EXPECT_FALSE(GravaIni("S", "K", "v", pasta.arquivo("nao/existe/a.ini")));
    EXPECT_FALSE(GravaIni("S", "K", "v", pasta.caminho()));
    EXPECT_TRUE(fs::is_directory(pasta.caminho()));
}

// The key keeps the file's spelling, a new key goes before the blank line
// that ends its section, and no temporary file is left next to it.
TEST(GravaIni, SubstituiPreservandoAsOutrasLinhas) {
    PastaTemporaria pasta;
    const std::string ini = pasta.escreve("config.ini", kConfig);
    EXPECT_TRUE(GravaIni("varelosync", "pastacomanda", "E:\\Novo", ini));
    EXPECT_TRUE(GravaIni("VareloSync", "Nova", "1", ini));
    // Only those two lines change.
    std::string esperado = kConfig;
    const std::string antes = "PastaComanda = D:\\Comandas\\ ";
    esperado.replace(esperado.find(antes), antes.size(), "PastaComanda=E:\\Novo");
    esperado.insert(esperado.find("\r\n[Varelo]"), "Nova=1\r\n");
    EXPECT_EQ(pasta.le("config.ini"), esperado);
    EXPECT_EQ(std::distance(fs::directory_iterator(pasta.caminho()), fs::directory_iterator()), 1);
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
