#include "base/files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "base/errors.h"
#include "tests/support/scratch_dir.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;

std::string ErroDe(const std::function<void()>& f, long* numero = nullptr) {
    try {
        f();
    } catch (const Erro& e) {
        if (numero) *numero = e.numero();
        return e.what();
    }
    return "";
}

class ArquivosDiscoTeste : public ::testing::Test {
protected:
    PastaTemporaria pasta;
    ArquivosDisco disco;
};

TEST_F(ArquivosDiscoTeste, ListaSoArquivosComunsEmOrdem) {
    for (const char* nome : {"PRINTM7.txt", "INCLUSAO12.txt", "cadpro.txt", ".INCLUSAO13.txt.tmp"})
        pasta.escreve(nome, "x");
    fs::create_directory(pasta.arquivo("INCLUSAO99.txt"));
    EXPECT_EQ(disco.lista(pasta.caminho()), (std::vector<std::string>{"INCLUSAO12.txt", "PRINTM7.txt", "cadpro.txt"}));
    // A missing folder, or a file, cannot be listed.
    for (const std::string& p : {pasta.arquivo("nao-existe"), pasta.arquivo("cadpro.txt")}) {
        long numero = 0;
        const std::string descricao = ErroDe([&] { disco.lista(p); }, &numero);
        EXPECT_EQ(numero, Erro::kAcessoArquivo) << p;
        EXPECT_NE(descricao.find(p), std::string::npos) << descricao;
    }
}

TEST_F(ArquivosDiscoTeste, GravaLeAcrescentaApagaEGravaAtomico) {
    const std::string p = pasta.arquivo("a.txt");
    const std::string bytes("linha\r\n\xe3\0fim", 12);
    disco.grava(p, bytes);
    EXPECT_EQ(disco.le(p), bytes);
    disco.grava(p, "curto");
    disco.acrescenta(p, "++");
    EXPECT_EQ(disco.le(p), "curto++");
    EXPECT_TRUE(disco.podeLer(p));
    EXPECT_FALSE(disco.ehPasta(p));
    EXPECT_TRUE(disco.ehPasta(pasta.caminho()));
    EXPECT_FALSE(disco.podeLer(pasta.caminho()));
    disco.apaga(p);
    EXPECT_FALSE(fs::exists(p));
    EXPECT_FALSE(disco.podeLer(p));
    // Replaced in one step, a file that existed keeps its permissions. (That
    // no temporary file is left beside it is seen by the INI tests.)
    const std::string cadpro = pasta.escreve("cadpro.txt", "antigo conteudo mais longo");
    const auto modo = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(cadpro, modo);
    disco.gravaAtomico(cadpro, "novo");
    EXPECT_EQ(pasta.le("cadpro.txt"), "novo");
    EXPECT_EQ(fs::status(cadpro).permissions(), modo);
}

// (Reading a missing file is seen by the layout tests.)
TEST_F(ArquivosDiscoTeste, FalhasDescrevemOCaminho) {
    const std::string faltando = pasta.arquivo("sumiu.txt");
    EXPECT_EQ(ErroDe([&] { disco.apaga(faltando); }), "Arquivo não encontrado: " + faltando);
    const std::string semPasta = pasta.arquivo("nao/existe.txt");
    EXPECT_NE(ErroDe([&] { disco.grava(semPasta, "x"); }).find(semPasta), std::string::npos);
    EXPECT_NE(ErroDe([&] { disco.gravaAtomico(semPasta, "x"); }).find(semPasta), std::string::npos);
    EXPECT_NE(ErroDe([&] { disco.le(pasta.caminho()); }).find(pasta.caminho()), std::string::npos);
}

TEST_F(ArquivosDiscoTeste, PermissaoNegada) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const std::string p = pasta.escreve("trancado.txt", "x");
    fs::permissions(p, fs::perms::none);
    EXPECT_EQ(ErroDe([&] { disco.le(p); }), "Permissão negada: " + p);
    EXPECT_FALSE(disco.podeLer(p));
}

}  // namespace
}  // namespace varelo
