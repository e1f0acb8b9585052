// Thermal printers spoken to directly: a document's bytes on the wire, the
// state asked before it, the backup, and the system's printers beside them.
// (The bytes of a document and the section's options: functions.txt.)
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "base/files.h"
#include "printing/direct_printing.h"
#include "printing/spool_printer.h"
#include "tests/support/private_cups.h"
#include "tests/support/program_run.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_printer.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Linhas = std::vector<std::string>;

class Diretas : public ::testing::Test {
protected:
    // The router over spool folders, with the direct printers of `secao`.
    ImpressaoComDiretas& Roteador(const std::vector<std::pair<std::string, std::string>>& secao) {
        ArquivosDisco().criaPasta(pasta.arquivo("default"));
        Linhas erros;
        impressao.emplace(spool, LeImpressoras(secao, erros), 2s, 100ms);
        EXPECT_EQ(erros, Linhas{});
        vistos.avisa = [this](const std::string& linha) { eventos.push_back(linha); };
        impressao->estados = &vistos;
        return *impressao;
    }
    bool Imprime(const std::string& impressora, const Linhas& linhas) {
        impressao->selecionaImpressora(impressora);
        for (const std::string& l : linhas) impressao->imprime(l);
        return impressao->terminaDocumento();
    }
    // The documents the printer received, once `n` have.
    Linhas Recebidos(ImpressoraDeTeste& impressora, std::size_t n) {
        Aguarda([&] { return impressora.documentos().size() >= n; }, 5s);
        return impressora.documentos();
    }

    PastaTemporaria pasta;
    ImpressoraSpool spool{pasta.caminho()};
    std::optional<ImpressaoComDiretas> impressao;
    EstadosVistos vistos;
    ImpressoraDeTeste cozinha, bar;
    Linhas eventos;
};

// A printer that does not answer the status request is sent the document
// anyway; one that cannot be reached refuses it and is off line; the
// system's printers print beside the direct ones. Each is asked its state
// without printing, as the window's panel does.
TEST_F(Diretas, SemRespostaImprimeInalcancavelRecusaESistemaContinua) {
    const std::string arquivo = pasta.escreve("usb-lp0", "");
    Roteador({{"Cozinha", cozinha.endereco()}, {"Morta", "tcp://127.0.0.1:" + std::to_string(PortaLivre())},
              {"Usb", arquivo}, {"Sumida", pasta.arquivo("lp9")}});
    cozinha.responde(std::nullopt, std::nullopt);
    EXPECT_TRUE(Imprime("Cozinha", {"x"})) << impressao->ultimoErro();
    EXPECT_EQ(Recebidos(cozinha, 1).size(), 1u);
    EXPECT_EQ(cozinha.perguntas(), "1");  // silent to the first question: not asked the second
    EXPECT_FALSE(Imprime("Morta", {"x"}));
    EXPECT_NE(impressao->ultimoErro().find("Impressora inacessível"), std::string::npos) << impressao->ultimoErro();
    EXPECT_TRUE(Imprime("Usb", {"a"}) && Imprime("Usb", {"b"})) << impressao->ultimoErro();
    EXPECT_EQ(Le(arquivo), std::string("\x1b@\x1bt\x03" "a\n\n\n\n\n\x1dV\x01\x1b@\x1bt\x03" "b\n\n\n\n\n\x1dV\x01"));
    EXPECT_FALSE(Imprime("Sumida", {"x"}));
    EXPECT_FALSE(fs::exists(pasta.arquivo("lp9")));  // a device path is never created
    EXPECT_TRUE(Imprime("default", {"Conta"})) << impressao->ultimoErro();
    EXPECT_EQ(Le(pasta.arquivo("default/000001.txt")), "Conta\n");
    EXPECT_EQ(impressao->impressoras(), (Linhas{"default", "Cozinha", "Morta", "Usb", "Sumida"}));
    EXPECT_EQ(eventos, (Linhas{"Impressora Morta: fora de linha", "Impressora Sumida: fora de linha"}));
    using E = EstadoImpressora;
    std::vector<std::optional<E>> estados;
    for (const char* nome : {"Cozinha", "Morta", "Usb", "Sumida", "default", "nenhuma"})
        estados.push_back(impressao->estado(nome));
    EXPECT_EQ(estados, (std::vector<std::optional<E>>{E::Pronta, E::Inalcancavel, E::Pronta, E::Inalcancavel,
                                                       E::Pronta, E::NaoInstalada}));
    EXPECT_EQ(cozinha.documentos().size(), 1u);
    EXPECT_EQ(Le(arquivo).size(), 28u);  // the two documents, no status request
}

// A printer being asked its state is held for that time, and only that one:
// it is not asked twice at once, and a document for another goes out.
TEST_F(Diretas, PerguntarAUmaImpressoraNaoSeguraAsOutras) {
    Linhas erros;
    ImpressaoComDiretas paciente(spool, LeImpressoras({{"Cozinha", cozinha.endereco()}, {"Bar", bar.endereco()}}, erros),
                                 2s, 3s);
    cozinha.responde(ImpressoraDeTeste::kPronta, ImpressoraDeTeste::kPronta, 1500ms);
    std::atomic<bool> perguntando{true};
    std::thread painel([&] {
        EXPECT_EQ(paciente.estado("Cozinha"), EstadoImpressora::Pronta);
        perguntando = false;
    });
    ASSERT_TRUE(Aguarda([&] { return !cozinha.perguntas().empty(); }, 5s));
    EXPECT_EQ(paciente.estado("Cozinha"), std::nullopt);
    paciente.selecionaImpressora("Bar");
    paciente.imprime("1 x Chopp");
    EXPECT_TRUE(paciente.terminaDocumento()) << paciente.ultimoErro();
    EXPECT_TRUE(perguntando);
    painel.join();
    EXPECT_EQ(Recebidos(bar, 1).size(), 1u);
}

// A queue of the printing system that refuses the document sends it to its
// backup too.
TEST_F(Diretas, FilaDoSistemaQueRecusaUsaAReserva) {
    Roteador({{"default.Reserva", "Cozinha"}, {"Cozinha", cozinha.endereco()}});
    impressao->selecionaImpressora("default");
    fs::remove_all(pasta.arquivo("default"));  // the queue's document cannot be written
    impressao->imprime("Conta 7");
    ASSERT_TRUE(impressao->terminaDocumento()) << impressao->ultimoErro();
    EXPECT_EQ(impressao->reservaUsada(), "Cozinha");
    EXPECT_EQ(Recebidos(cozinha, 1), Linhas{std::string("\x1b@\x1bt\x03*** IMPRESSO NA RESERVA DE default ***\n"
                                                         "Conta 7\n\n\n\n\n\x1dV\x01")});
}

}  // namespace
}  // namespace varelo
