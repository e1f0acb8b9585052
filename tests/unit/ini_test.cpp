#include "app/ini.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "app/errors.h"
#include "app/user_store.h"
#include "tests/support/scratch_dir.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;

const char* const kConfig =
    "; config of the synchronizer\r\n"
    "[VareloSync]\r\n"
    "PastaComanda = D:\\Comandas\\ \r\n"
    "Impressora=\"LPT2\"\r\n"
    "Vazia=\r\n"
    "\r\n"
    "[Varelo]\r\n"
    "IPServidor=192.168.0.10\r\n"
    "Driver=MySQL ODBC 8.0 Unicode Driver\r\n"
    "[varelosync]\r\n"
    "PastaComanda=segunda secao nao conta\r\n";

TEST(LeIni, ChavesSemDiferencaDeCaixa) {
    PastaTemporaria pasta;
    const std::string ini = pasta.escreve("config.ini", kConfig);
    EXPECT_EQ(LeIni("VareloSync", "PastaComanda", "x", ini), "D:\\Comandas\\");
    EXPECT_EQ(LeIni("varelosync", "PASTACOMANDA", "x", ini), "D:\\Comandas\\");
    EXPECT_EQ(LeIni("Varelo", "ipservidor", "x", ini), "192.168.0.10");
    EXPECT_EQ(LeIni("  Varelo ", " Driver ", "x", ini), "MySQL ODBC 8.0 Unicode Driver");
    EXPECT_EQ(LeIni("VareloSync", "Impressora", "LPT1", ini), "LPT2");  // quotes dropped
    EXPECT_EQ(LeIni("VareloSync", "Vazia", "padrao", ini), "");        // present, empty
}

TEST(LeIni, PadraoQuandoFalta) {
    PastaTemporaria pasta;
    const std::string ini = pasta.escreve("config.ini", kConfig);
    EXPECT_EQ(LeIni("VareloSync", "IPServidor", "padrao", ini), "padrao");  // other section
    EXPECT_EQ(LeIni("Outra", "Driver", "padrao", ini), "padrao");
    EXPECT_EQ(LeIni("Varelo", "Nada", "", ini), "");
    EXPECT_EQ(LeIni("Varelo", "Driver", "padrao", pasta.arquivo("falta.ini")), "padrao");
    EXPECT_EQ(LeIni("Varelo", "Driver", "padrao", pasta.caminho()), "padrao");  // a folder
    // A comment is not a key.
    pasta.escreve("c.ini", "[S]\n;K=1\n  ; K=2\n");
    EXPECT_EQ(LeIni("S", "K", "d", pasta.arquivo("c.ini")), "d");
    EXPECT_EQ(LeIni("S", ";K", "d", pasta.arquivo("c.ini")), "d");
}

TEST(LeIni, ApenasLfETextoAntigoEmCp1252) {
    PastaTemporaria pasta;
    const std::string lf = pasta.escreve("lf.ini", "[Config]\nNome=Bar do Zé\nUF=SP");
    EXPECT_EQ(LeIni("Config", "Nome", "", lf), "Bar do Zé");
    EXPECT_EQ(LeIni("Config", "UF", "", lf), "SP");
    const std::string antigo = pasta.escreve("antigo.ini", "[Config]\r\nNome=Lanchonete S\xe3o Jo\xe3o\r\n");
    EXPECT_EQ(LeIni("Config", "Nome", "", antigo), "Lanchonete São João");
}

TEST(LeIni, ValorCortadoEm2047Caracteres) {
    PastaTemporaria pasta;
    const std::string longo(3000, 'a');
    const std::string ini = pasta.escreve("l.ini", "[S]\nK=" + longo + "\nA=" + std::string(2100, '\xe3') + "\n");
    EXPECT_EQ(LeIni("S", "K", "", ini), std::string(2047, 'a'));
    // Counted in characters, not bytes: each ã is two bytes of UTF-8.
    std::string a2047;
    for (int i = 0; i < 2047; ++i) a2047 += "ã";
    EXPECT_EQ(LeIni("S", "A", "", ini), a2047);
    EXPECT_EQ(LeIni("S", "Falta", longo, ini), std::string(2047, 'a'));
    const std::string exato(2047, 'b');
    pasta.escreve("e.ini", "[S]\nK=" + exato + "\n");
    EXPECT_EQ(LeIni("S", "K", "", pasta.arquivo("e.ini")), exato);
}

TEST(GravaIni, CriaArquivoSecaoEChave) {
    PastaTemporaria pasta;
    const std::string ini = pasta.arquivo("config.ini");
    EXPECT_TRUE(GravaIni("VareloSync", "PastaComanda", "D:\\Comandas", ini));
    EXPECT_EQ(pasta.le("config.ini"), "[VareloSync]\nPastaComanda=D:\\Comandas\n");
    EXPECT_TRUE(GravaIni("VareloSync", "Impressora", "LPT1", ini));
    EXPECT_TRUE(GravaIni("Varelo", "IPServidor", "servidor", ini));
    EXPECT_EQ(pasta.le("config.ini"),
              "[VareloSync]\nPastaComanda=D:\\Comandas\nImpressora=LPT1\n\n[Varelo]\nIPServidor=servidor\n");
    EXPECT_EQ(LeIni("varelo", "ipservidor", "", ini), "servidor");
}

TEST(GravaIni, SubstituiPreservandoAsOutrasLinhas) {
    PastaTemporaria pasta;
    const std::string ini = pasta.escreve("config.ini", kConfig);
    EXPECT_TRUE(GravaIni("varelosync", "pastacomanda", "E:\\Novo", ini));
    EXPECT_TRUE(GravaIni("VareloSync", "Nova", "1", ini));
    const std::string esperado =
        "; config of the synchronizer\r\n"
        "[VareloSync]\r\n"
        "PastaComanda=E:\\Novo\r\n"
        "Impressora=\"LPT2\"\r\n"
        "Vazia=\r\n"
        "Nova=1\r\n"
        "\r\n"
        "[Varelo]\r\n"
        "IPServidor=192.168.0.10\r\n"
        "Driver=MySQL ODBC 8.0 Unicode Driver\r\n"
        "[varelosync]\r\n"
        "PastaComanda=segunda secao nao conta\r\n";
    EXPECT_EQ(pasta.le("config.ini"), esperado);
    EXPECT_EQ(LeIni("VareloSync", "PastaComanda", "", ini), "E:\\Novo");
    // No temporary file is left next to it.
    EXPECT_EQ(std::distance(fs::directory_iterator(pasta.caminho()), fs::directory_iterator()), 1);
}

TEST(GravaIni, ArquivoAntigoReescritoEmUtf8) {
    PastaTemporaria pasta;
    const std::string ini = pasta.escreve("a.ini", "[Config]\nNome=S\xe3o Jo\xe3o\n");
    EXPECT_TRUE(GravaIni("Config", "UF", "SP", ini));
    EXPECT_EQ(pasta.le("a.ini"), "[Config]\nNome=São João\nUF=SP\n");
}

TEST(GravaIni, ValorDeUmaLinhaSo) {
    PastaTemporaria pasta;
    const std::string ini = pasta.arquivo("a.ini");
    EXPECT_TRUE(GravaIni("S", "K", "um\r\ndois", ini));
    EXPECT_EQ(LeIni("S", "K", "", ini), "um  dois");
    EXPECT_EQ(LeIni("S", "dois", "nada", ini), "nada");
}

TEST(GravaIni, FalhaDevolveFalso) {
    PastaTemporaria pasta;
    EXPECT_FALSE(GravaIni("S", "K", "v", pasta.arquivo("nao/existe/a.ini")));
    EXPECT_FALSE(GravaIni("S", "K", "v", pasta.caminho()));
    EXPECT_TRUE(fs::is_directory(pasta.caminho()));
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

TEST(DocumentoIni, ChavesAntesDaPrimeiraSecao) {
    DocumentoIni doc("solta=1\n[S]\nK=2\n");
    EXPECT_EQ(doc.le("", "solta"), std::optional<std::string>("1"));
    EXPECT_EQ(doc.le("S", "solta"), std::nullopt);
    doc.grava("", "outra", "3");
    EXPECT_EQ(doc.texto(), "solta=1\noutra=3\n[S]\nK=2\n");
}

TEST(ArmazemIni, UmArquivoPorAplicacao) {
    PastaTemporaria pasta;
    ArmazemIni armazem(pasta.caminho());
    EXPECT_EQ(armazem.le("Varelo", "Config", "LinhaFim", "8"), "8");
    armazem.grava("Varelo", "Config", "ResumoContaPalm", "1");
    armazem.grava("Outro", "Config", "ResumoContaPalm", "0");
    EXPECT_EQ(armazem.le("Varelo", "config", "resumocontapalm", "0"), "1");
    EXPECT_EQ(armazem.le("Outro", "Config", "ResumoContaPalm", "9"), "0");
    EXPECT_EQ(armazem.caminho("Varelo"), pasta.arquivo("Varelo/settings.ini"));
    EXPECT_EQ(pasta.le("Varelo/settings.ini"), "[Config]\nResumoContaPalm=1\n");
    // Another program of the system that writes the same file is seen.
    pasta.escreve("Varelo/settings.ini", "[Config]\r\nImpCupom=Caixa\r\n");
    EXPECT_EQ(armazem.le("Varelo", "Config", "ImpCupom", "Não Imprimir"), "Caixa");
}

TEST(ArmazemIni, FalhasLancamErro) {
    PastaTemporaria pasta;
    pasta.escreve("arquivo", "nao sou pasta");
    ArmazemIni armazem(pasta.arquivo("arquivo"));
    EXPECT_THROW(armazem.grava("Varelo", "Config", "K", "v"), Erro);
    EXPECT_EQ(armazem.le("Varelo", "Config", "K", "padrao"), "padrao");  // nothing there
    ArmazemIni bom(pasta.caminho());
    EXPECT_THROW(bom.grava("", "Config", "K", "v"), Erro);
    EXPECT_THROW(bom.le("../fora", "Config", "K", ""), Erro);
    EXPECT_THROW(bom.le("a/b", "Config", "K", ""), Erro);
    fs::create_directories(pasta.arquivo("Pasta/settings.ini"));
    EXPECT_THROW(bom.le("Pasta", "Config", "K", ""), Erro);  // exists, unreadable
}

// Sets or clears an environment variable for one test and puts it back.
class VariavelDeAmbiente {
public:
    VariavelDeAmbiente(const char* nome, const char* valor) : nome_(nome) {
        if (const char* v = std::getenv(nome)) antigo_ = v;
        if (valor)
            ::setenv(nome, valor, 1);
        else
            ::unsetenv(nome);
    }
    ~VariavelDeAmbiente() {
        if (antigo_)
            ::setenv(nome_, antigo_->c_str(), 1);
        else
            ::unsetenv(nome_);
    }

private:
    const char* nome_;
    std::optional<std::string> antigo_;
};

TEST(ArmazemIni, PastaPadraoDoAmbiente) {
    {
        VariavelDeAmbiente xdg("XDG_CONFIG_HOME", "/tmp/xdg-teste");
        VariavelDeAmbiente home("HOME", "/home/caixa");
        EXPECT_EQ(ArmazemIni::PastaPadrao(), "/tmp/xdg-teste");
    }
    {
        VariavelDeAmbiente xdg("XDG_CONFIG_HOME", nullptr);
        VariavelDeAmbiente home("HOME", "/home/caixa");
        EXPECT_EQ(ArmazemIni::PastaPadrao(), "/home/caixa/.config");
    }
    {
        VariavelDeAmbiente xdg("XDG_CONFIG_HOME", "relativo");
        VariavelDeAmbiente home("HOME", "/home/caixa");
        EXPECT_EQ(ArmazemIni::PastaPadrao(), "/home/caixa/.config");
    }
}

}  // namespace
}  // namespace varelo
