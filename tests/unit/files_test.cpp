#include "app/files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/errors.h"
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

bool SouRoot() { return ::geteuid() == 0; }

TEST(ArquivosDisco, ListaSoArquivosComunsEmOrdem) {
    PastaTemporaria pasta;
    pasta.escreve("PRINTM7.txt", "");
    pasta.escreve("INCLUSAO12.txt", "x");
    pasta.escreve("cadpro.txt", "y");
    pasta.escreve(".INCLUSAO13.txt.tmp", "z");
    fs::create_directory(pasta.arquivo("INCLUSAO99.txt"));
    ArquivosDisco disco;
    EXPECT_EQ(disco.lista(pasta.caminho()),
              (std::vector<std::string>{"INCLUSAO12.txt", "PRINTM7.txt", "cadpro.txt"}));
}

TEST(ArquivosDisco, ListaDePastaInexistenteEhErroDeAcesso) {
    PastaTemporaria pasta;
    ArquivosDisco disco;
    const std::string faltando = pasta.arquivo("nao-existe");
    long numero = 0;
    std::string descricao = ErroDe([&] { disco.lista(faltando); }, &numero);
    EXPECT_EQ(numero, Erro::kAcessoArquivo);
    EXPECT_NE(descricao.find(faltando), std::string::npos) << descricao;

    const std::string arquivo = pasta.escreve("comum.txt", "");
    numero = 0;
    descricao = ErroDe([&] { disco.lista(arquivo); }, &numero);
    EXPECT_EQ(numero, Erro::kAcessoArquivo);
    EXPECT_NE(descricao.find(arquivo), std::string::npos) << descricao;
}

TEST(ArquivosDisco, GravaLeEAcrescentaBytesCrus) {
    PastaTemporaria pasta;
    ArquivosDisco disco;
    const std::string p = pasta.arquivo("a.txt");
    const std::string bytes("linha\r\n\xe3\0fim", 12);
    disco.grava(p, bytes);
    EXPECT_EQ(disco.le(p), bytes);
    disco.acrescenta(p, "++");
    EXPECT_EQ(disco.le(p), bytes + "++");
    disco.grava(p, "curto");
    EXPECT_EQ(disco.le(p), "curto");

    const std::string novo = pasta.arquivo("novo.txt");
    disco.acrescenta(novo, "primeira");
    EXPECT_EQ(pasta.le("novo.txt"), "primeira");
}

TEST(ArquivosDisco, FalhasDescrevemOCaminho) {
    PastaTemporaria pasta;
    ArquivosDisco disco;
    const std::string faltando = pasta.arquivo("sumiu.txt");
    EXPECT_EQ(ErroDe([&] { disco.le(faltando); }), "Arquivo não encontrado: " + faltando);
    EXPECT_EQ(ErroDe([&] { disco.apaga(faltando); }), "Arquivo não encontrado: " + faltando);
    const std::string semPasta = pasta.arquivo("nao/existe.txt");
    EXPECT_NE(ErroDe([&] { disco.grava(semPasta, "x"); }).find(semPasta), std::string::npos);
    EXPECT_NE(ErroDe([&] { disco.le(pasta.caminho()); }).find(pasta.caminho()), std::string::npos);
}

TEST(ArquivosDisco, PermissaoNegada) {
    if (SouRoot()) GTEST_SKIP() << "root reads every file";
    PastaTemporaria pasta;
    ArquivosDisco disco;
    const std::string p = pasta.escreve("trancado.txt", "x");
    fs::permissions(p, fs::perms::none);
    EXPECT_EQ(ErroDe([&] { disco.le(p); }), "Permissão negada: " + p);
    EXPECT_FALSE(disco.podeLer(p));
}

TEST(ArquivosDisco, ApagaPodeLerEhPasta) {
    PastaTemporaria pasta;
    ArquivosDisco disco;
    const std::string p = pasta.escreve("x.txt", "1");
    EXPECT_TRUE(disco.podeLer(p));
    EXPECT_FALSE(disco.ehPasta(p));
    EXPECT_TRUE(disco.ehPasta(pasta.caminho()));
    EXPECT_FALSE(disco.podeLer(pasta.caminho()));
    disco.apaga(p);
    EXPECT_FALSE(fs::exists(p));
    EXPECT_FALSE(disco.podeLer(p));
    EXPECT_FALSE(disco.ehPasta(p));
}

TEST(ArquivosDisco, GravaAtomicoSubstituiSemDeixarTemporario) {
    PastaTemporaria pasta;
    ArquivosDisco disco;
    const std::string p = pasta.escreve("cadpro.txt", "antigo conteudo mais longo");
    disco.gravaAtomico(p, "novo");
    EXPECT_EQ(pasta.le("cadpro.txt"), "novo");
    disco.gravaAtomico(pasta.arquivo("Comandas.txt"), "1;2\r\n");
    EXPECT_EQ(pasta.le("Comandas.txt"), "1;2\r\n");
    std::vector<std::string> todos;
    for (const auto& e : fs::directory_iterator(pasta.caminho())) todos.push_back(e.path().filename());
    std::sort(todos.begin(), todos.end());
    EXPECT_EQ(todos, (std::vector<std::string>{"Comandas.txt", "cadpro.txt"}));

    const std::string semPasta = pasta.arquivo("nao/existe.txt");
    EXPECT_NE(ErroDe([&] { disco.gravaAtomico(semPasta, "x"); }).find(semPasta), std::string::npos);
}

}  // namespace
}  // namespace varelo
