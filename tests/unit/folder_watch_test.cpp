// The monitored folder's watch: what it tells about files arriving.
#include <gtest/gtest.h>

#include "base/files.h"
#include "base/posix_platform.h"
#include "tests/support/scratch_dir.h"

namespace varelo {
namespace {

// A file written in place, one renamed into the folder (as a handheld drops
// a request) and one renamed within it are named once each, when the
// writer is done; what only opens, reads or deletes is not.
TEST(ObservadorPasta, NomeiaArquivosFechadosOuMovidosParaAPasta) {
    PastaTemporaria pasta, fora;
    ArquivosDisco disco;
    const std::string lido = pasta.escreve("lido.txt", "x");
    ObservadorPasta observador(pasta.caminho());
    ASSERT_GE(observador.descritor(), 0);
    EXPECT_TRUE(observador.novos().empty());
    disco.le(lido);
    disco.apaga(lido);
    disco.grava(pasta.arquivo("INCLUSAO7.txt"), "15;1;7;;7;Ana;;0\r\n");
    disco.grava(fora.arquivo("PRINTM3.txt"), "\r\n");
    disco.renomeia(fora.arquivo("PRINTM3.txt"), pasta.arquivo("PRINTM3.txt"));
    disco.grava(pasta.arquivo(".FECHACONTA5.txt"), "5\r\n");
    disco.renomeia(pasta.arquivo(".FECHACONTA5.txt"), pasta.arquivo("FECHACONTA5.txt"));
    EXPECT_EQ(observador.novos(),
              (std::vector<std::string>{"INCLUSAO7.txt", "PRINTM3.txt", ".FECHACONTA5.txt", "FECHACONTA5.txt"}));
    EXPECT_TRUE(observador.novos().empty());
}

TEST(ObservadorPasta, PastaQueNaoExisteNaoEhObservada) {
    PastaTemporaria pasta;
    ObservadorPasta observador(pasta.arquivo("sumiu"));
    EXPECT_EQ(observador.descritor(), -1);
    EXPECT_TRUE(observador.novos().empty());
}

}  // namespace
}  // namespace varelo
