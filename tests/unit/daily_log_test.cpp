#include <gtest/gtest.h>

#include <filesystem>

#include "base/daily_log.h"
#include "base/files.h"
#include "tests/support/manual_clock.h"
#include "tests/support/scratch_dir.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;

TEST(RegistroDiario, UmArquivoPorDiaComDataEHoraEGuardaTrintaDias) {
    PastaTemporaria pasta;
    fs::create_directories(pasta.arquivo("logs"));
    for (const char* velho : {"varelosync-2024-02-04.log", "varelosync-2024-02-05.log", "outro.txt"})
        pasta.escreve(std::string("logs/") + velho, "x");
    ArquivosDisco disco;
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
}

TEST(RegistroDiario, PastaQueNaoPodeSerCriadaNaoDerrubaOPrograma) {
    PastaTemporaria pasta;
    pasta.escreve("logs", "sou um arquivo");
    ArquivosDisco disco;
    RelogioManual relogio;
    RegistroDiario registro(disco, relogio, pasta.arquivo("logs"));
    EXPECT_NO_THROW(registro.acrescenta("linha"));
    EXPECT_NO_THROW(registro.acrescenta("outra"));
    EXPECT_EQ(pasta.le("logs"), "sou um arquivo");
}

}  // namespace
}  // namespace varelo
