// The folder scan: which request goes where, what is answered and deleted,
// and the checks that run after the files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/errors.h"
#include "core/activity_log.h"
#include "core/replies.h"
#include "tests/support/test_context.h"
#include "transactions/scan.h"

namespace varelo {
namespace {

const std::string kSeparador = "-----------------------------";

class Varredura : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        auto& p = t.ctx.procs;
        p.InclueItem = [this](const std::string& c) {
            chamadas.push_back("InclueItem " + c);
            ApagaArquivo(t.ctx, c);
        };
        p.ImprimeCupom = [this](std::int32_t m) {
            chamadas.push_back("ImprimeCupom " + std::to_string(m));
            return !impressoraRecusa;
        };
        p.ImprimeDelivery = [this](std::int32_t m) {
            chamadas.push_back("ImprimeDelivery " + std::to_string(m));
            return !impressoraRecusa;
        };
        p.FechaConta = [this](std::int32_t c, const std::string& a, const std::string&) {
            chamadas.push_back("FechaConta " + std::to_string(c) + " " + a);
            return impressoraRecusa ? ResultadoConta::Recusada : ResultadoConta::Impressa;
        };
        p.ImprimeDiverso = [this](const std::string& a) {
            chamadas.push_back("ImprimeDiverso " + a);
            return !impressoraRecusa;
        };
        p.ExportaConsumos = [this](const std::string& pasta, const std::string& n) {
            chamadas.push_back("ExportaConsumos " + pasta + " [" + n + "]");
        };
        p.ExportaComandas = [this](const std::string& pasta) { chamadas.push_back("ExportaComandas " + pasta); };
        p.VerificaTablet = [this](const std::string& pasta) { chamadas.push_back("VerificaTablet " + pasta); };
        p.VerificaDelivery = [this](const std::string& pasta) { chamadas.push_back("VerificaDelivery " + pasta); };
        p.VerificaPendentes = [this] { chamadas.push_back("VerificaPendentes"); };
        p.VerificaRecebComanda = [this] { chamadas.push_back("VerificaRecebComanda"); };
    }

    ContextoTeste t;
    std::vector<std::string> chamadas;
    bool impressoraRecusa = false;
};

TEST_F(Varredura, DespachaCadaTipoPeloNomeEDeixaOsOutrosArquivos) {
    const std::string pasta = t.pastaComandas();
    for (const char* nome : {"inclusao3.txt", "PRINTM12.txt", "cadpro.txt", "EXCLUSAO5.txt",
                             "ATUALIZA007.txt", "INCLUSAO007.txt", "PrintD8.txt", "FECHACONTA42.txt",
                             "FECHACOMANDA9.txt", "AtuCom.txt", "IMP1.txt", "INCLUSAO0.txt",
                             "okComanda1.txt", "notas.doc"})
        t.pedido(nome, "x\r\n");
    t.ctx.cfg.AutoImpressao = true;
    t.ctx.cfg.AutoRecebFinal = 1;

    VarreDirs(t.ctx);

    const std::vector<std::string> esperadas = {
        "ExportaConsumos " + pasta + " [7]",
        "ExportaComandas " + pasta,
        "ExportaConsumos " + pasta + " [5]",
        "FechaConta 42 " + pasta + "/FECHACONTA42.txt",
        "ImprimeDiverso " + pasta + "/IMP1.txt",
        "ExportaConsumos " + pasta + " [0]",
        "InclueItem " + pasta + "/INCLUSAO007.txt",
        "ExportaConsumos " + pasta + " [007]",
        "ImprimeCupom 12",
        "ImprimeDelivery 8",
        "InclueItem " + pasta + "/inclusao3.txt",
        "ExportaConsumos " + pasta + " [3]",
        "VerificaTablet " + pasta,
        "VerificaDelivery " + pasta,
        "VerificaPendentes",
        "VerificaRecebComanda",
    };
    EXPECT_EQ(chamadas, esperadas);

    // Only what the program does not handle is left: catalog files, replies
    // it wrote, and files that are not ".txt".
    std::vector<std::string> restantes = t.arquivos.lista(pasta);
    EXPECT_EQ(restantes, (std::vector<std::string>{"cadpro.txt", "erro5.txt", "notas.doc",
                                                   "okComanda1.txt"}));
    EXPECT_EQ(t.arquivos.le(t.comanda("erro5.txt")), "erro\r\n");
    EXPECT_TRUE(t.timer1.ligado());
    EXPECT_EQ(t.ctx.varredura.ArqAtual, pasta + "/okComanda1.txt");

    EXPECT_EQ(t.consulta("select log from logs order by 1", "log"),
              (std::vector<std::string>{"PALM Fecha Conta 42", "PALM Imprimiu itens Delivery 8",
                                        "PALM Imprimiu itens mesa 12"}));
    EXPECT_EQ(t.consulta("select distinct concat(Usuario,'/',Tipo) u from logs", "u"),
              (std::vector<std::string>{"PALM/OPERACAO"}));
}

TEST_F(Varredura, NumeroInvalidoRegistraOErroApagaESegueComOsPassos) {
    t.pedido("PRINTM.txt", "");
    t.ctx.cfg.AutoImpressao = false;
    VarreDirs(t.ctx);

    const auto eventos = t.novosEventos();
    const std::string caminho = t.comanda("PRINTM.txt");
    // The 32-bit conversion of an empty number fails; the file is deleted by
    // the scan's handler, then the remaining steps of the kind still run.
    ASSERT_GE(eventos.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(eventos.begin(), eventos.begin() + 5),
              (std::vector<std::string>{"Tipo incompatível", "Tentando apagar " + caminho, kSeparador, kSeparador,
                                        "Esperando 1s ..."}));
    EXPECT_TRUE(chamadas.size() == 2 && chamadas[0].rfind("VerificaTablet", 0) == 0);
    EXPECT_FALSE(t.arquivos.podeLer(caminho));
    EXPECT_EQ(t.consulta("select log from logs", "log"),
              std::vector<std::string>{"PALM Imprimiu itens mesa "});
    EXPECT_EQ(t.relogio.esperas(), std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(500)});
}

TEST_F(Varredura, InclusaoQueFicaNaPastaTemDuasNovasTentativas) {
    t.ctx.procs.InclueItem = [this](const std::string&) { t.arquivos.falhasApaga = 100; };
    t.ctx.cfg.AutoImpressao = false;
    t.pedido("INCLUSAO4.txt", "1;1;4\r\n");
    VarreDirs(t.ctx);
    const auto eventos = t.novosEventos();
    EXPECT_TRUE(Contem(eventos, "Inclusao ainda existe: Tentando apagar novamente"));
    EXPECT_TRUE(Contem(eventos, "Inclusao ainda existe: Tentando apagar novamente 2"));
    EXPECT_TRUE(t.arquivos.podeLer(t.comanda("INCLUSAO4.txt")));
}

// A request whose content is read is taken only once it ends with CR LF, or
// once it has not changed for five seconds; requests known by their names
// never wait.
TEST_F(Varredura, PedidoIncompletoEsperaOFimDaLinhaOuCincoSegundosParado) {
    using std::chrono::milliseconds;
    t.ctx.cfg.AutoImpressao = false;
    const std::string inclusao = t.pedido("INCLUSAO5.txt", "20;2;61;;5;Ana;;1");
    t.pedido("PRINTM7.txt", "");
    VarreDirs(t.ctx);
    EXPECT_EQ(chamadas, (std::vector<std::string>{"ImprimeCupom 7", "VerificaTablet " + t.pastaComandas(),
                                                  "VerificaDelivery " + t.pastaComandas()}));
    struct Passo {
        milliseconds depois;
        const char* conteudo;  // nullptr: unchanged
        bool tratado;
    };
    for (const Passo& p : {Passo{milliseconds(4000), nullptr, false},
                           Passo{milliseconds(1000), "20;2;61;;5;Ana;;12", false},  // still being written
                           Passo{milliseconds(4999), nullptr, false},
                           Passo{milliseconds(1), nullptr, true}}) {
        chamadas.clear();
        t.relogio.avanca(p.depois);
        if (p.conteudo) t.pedido("INCLUSAO5.txt", p.conteudo);
        VarreDirs(t.ctx);
        EXPECT_EQ(!chamadas.empty() && chamadas[0] == "InclueItem " + inclusao, p.tratado) << p.depois.count();
    }
    // Complete at once with its line end; what the scan remembered of a
    // file goes with it.
    chamadas.clear();
    t.pedido("INCLUSAO6.txt", "20;2;61;;5;Ana;;12.50\r\n");
    VarreDirs(t.ctx);
    EXPECT_EQ(chamadas.at(0), "InclueItem " + t.comanda("INCLUSAO6.txt"));
    EXPECT_TRUE(t.ctx.varredura.incompletos.empty());
}

// A request that the server rejects every time is moved aside after three
// scans in a row and answered; meanwhile and after, the rest of the folder
// and the checks go on. A lost connection is an outage, not a rejection.
TEST_F(Varredura, PedidoRecusadoTresVezesVaiParaRejeitados) {
    t.ctx.cfg.AutoImpressao = false;
    t.ctx.procs.InclueItem = [this](const std::string& c) {
        chamadas.push_back("InclueItem " + c);
        throw ErroBanco(1644, "Gatilho recusou", "45000");
    };
    const std::string pedido = t.pedido("INCLUSAO9.txt", "1;1;9\r\n");
    t.pedido("FECHACOMANDA3.txt", "");
    for (int varredura = 1; varredura <= 3; ++varredura) {
        chamadas.clear();
        VarreDirs(t.ctx);
        EXPECT_EQ(chamadas.size(), 3u) << "the request, then both checks";
        const auto eventos = t.novosEventos();
        if (varredura < 3) {
            EXPECT_TRUE(Contem(eventos, "Pedido recusado pelo banco de dados (" + std::to_string(varredura) +
                                            " de 3), nova tentativa na próxima varredura: INCLUSAO9.txt"));
            EXPECT_TRUE(t.arquivos.podeLer(pedido));
        } else {
            EXPECT_TRUE(Contem(eventos,
                               "Pedido recusado pelo banco de dados 3 vezes, movido para rejeitados: INCLUSAO9.txt"));
        }
    }
    EXPECT_FALSE(t.arquivos.podeLer(pedido));
    EXPECT_FALSE(t.arquivos.podeLer(t.comanda("FECHACOMANDA3.txt")));
    EXPECT_EQ(t.arquivos.le(t.comanda("rejeitados/INCLUSAO9.txt")), "1;1;9\r\n");
    EXPECT_EQ(t.arquivos.le(t.comanda("erro9.txt")), "erro\r\n");

    // The same name again is kept apart from the first.
    t.pedido("INCLUSAO9.txt", "1;1;9\r\n");
    for (int i = 0; i < 3; ++i) VarreDirs(t.ctx);
    EXPECT_TRUE(t.arquivos.podeLer(t.comanda("rejeitados/INCLUSAO9.txt.1")));

    t.ctx.procs.InclueItem = [](const std::string&) { throw ErroBanco(2013, "Lost connection", "08S01"); };
    t.pedido("INCLUSAO9.txt", "1;1;9\r\n");
    EXPECT_THROW(VarreDirs(t.ctx), ErroBanco);
    EXPECT_TRUE(t.ctx.varredura.recusas.empty());
}

// A request whose document a printer refused stays for the next scan, with
// no log row; once printed it is removed as usual.
TEST_F(Varredura, PedidoDeImpressaoRecusadoFicaParaAProximaVarredura) {
    t.ctx.cfg.AutoImpressao = false;
    const std::vector<std::string> nomes = {"PRINTM7.txt", "PRINTD8.txt", "FECHACONTA42.txt", "IMP1.txt"};
    for (const std::string& nome : nomes) t.pedido(nome, "cozinha\r\nlinha um\r\n");
    impressoraRecusa = true;
    VarreDirs(t.ctx);
    for (const std::string& nome : nomes) EXPECT_TRUE(t.arquivos.podeLer(t.comanda(nome))) << nome;
    EXPECT_TRUE(t.consulta("select log from logs", "log").empty());
    impressoraRecusa = false;
    VarreDirs(t.ctx);
    for (const std::string& nome : nomes) EXPECT_FALSE(t.arquivos.podeLer(t.comanda(nome))) << nome;
    EXPECT_EQ(t.consulta("select log from logs order by 1", "log").size(), 3u);
}

// The remaining checks run even without a folder, as the settings ask.
TEST_F(Varredura, PastaQueNaoPodeSerLidaNaoApagaNadaEAindaVerifica) {
    const std::string pasta = t.pasta.arquivo("nao-existe");
    t.ctx.cfg.txtPasta = pasta;
    t.ctx.cfg.AutoImpressao = false;
    t.ctx.cfg.AutoRecebFinal = 0;
    VarreDirs(t.ctx);
    EXPECT_EQ(t.novosEventos(), std::vector<std::string>{"Erro de acesso a arquivo / Pasta"});
    EXPECT_EQ(chamadas, (std::vector<std::string>{"VerificaTablet " + pasta, "VerificaDelivery " + pasta}));
    EXPECT_TRUE(t.timer1.ligado());
}

TEST(Respostas, RespostasByteAByteEArquivoInexistente) {
    ContextoTeste t;
    // An older, longer reply is replaced whole.
    t.arquivos.grava(t.comanda("okComanda42.txt"), "velho e maior que o novo");
    GravaOK(t.ctx, "42");
    EXPECT_EQ(t.arquivos.le(t.comanda("okComanda42.txt")), "ok\r\n");

    // Nothing to delete: only the separator, and the timer is switched on.
    ApagaArquivo(t.ctx, t.comanda("nada.txt"));
    EXPECT_EQ(t.novosEventos(), std::vector<std::string>{kSeparador});
    EXPECT_TRUE(t.timer1.ligado());
    EXPECT_FALSE(ArquivoExiste(t.ctx.arquivos, t.pastaComandas()));
    t.pedido("a.txt", "");
    EXPECT_TRUE(ArquivoExiste(t.ctx.arquivos, t.comanda("a.txt") + "/"));

    // A folder that is gone: the failed open and the write that could not
    // follow it are logged, nothing else.
    t.ctx.cfg.txtPasta = t.pasta.arquivo("sumiu");
    GravaErro(t.ctx, "3");
    const std::string erro3 = t.pasta.arquivo("sumiu/erro3.txt");
    EXPECT_EQ(t.novosEventos(), (std::vector<std::string>{"Arquivo não encontrado: " + erro3,
                                                          "Resposta não gravada: " + erro3}));
}

TEST(Respostas, ArquivoPresoNaRedeEFechadoPelaListaDeAbertos) {
    ContextoTeste t;
    t.ctx.varredura.PastaMonitor = t.pastaComandas();
    const std::string alvo = t.pedido("INCLUSAO4.txt", "");
    std::filesystem::permissions(t.pedido("arqrede.bat", "net files > abertos.err"),
                                 std::filesystem::perms(0644));
    t.arquivos.grava(t.comanda("abertos.err"),
                     "   123 C:\\Comandas\\INCLUSAO4.txt\r\n    77 C:\\Comandas\\outro.txt\n");
    t.arquivos.falhasApaga = 1;

    ApagaArquivo(t.ctx, alvo);

    EXPECT_EQ(t.executor.linhas,
              (std::vector<std::string>{"net files > abertos.err", "'/usr/local/bin/Net' files 123 /close"}));
    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{"Tentando apagar " + alvo,
                                        "Fechando o arquivo " + alvo + " da rede para apagar",
                                        "Arquivo apagado da rede. Apagando do disco agora",
                                        "Tentando apagar " + alvo, kSeparador,
                                        "Tentando apagar - arq rede " + alvo}));
    EXPECT_EQ(t.relogio.esperas(), std::vector<std::chrono::milliseconds>{std::chrono::seconds(1)});
}

// Without the list, with an identifier that is not a number, and with a
// file that never lets go: the file stays, after at most five attempts.
TEST(Respostas, ArquivoQueNaoSaiDaRede) {
    ContextoTeste t;
    t.ctx.varredura.PastaMonitor = t.pastaComandas();
    const std::string alvo = t.pedido("INCLUSAO4.txt", "");
    t.arquivos.falhasApaga = 1;
    ApagaArquivo(t.ctx, alvo);
    EXPECT_TRUE(Contem(t.novosEventos(), "Não foi possivel apagar o arquivo da rede"));
    EXPECT_TRUE(t.executor.linhas.empty());
    EXPECT_TRUE(t.arquivos.podeLer(alvo));

    t.arquivos.grava(t.comanda("abertos.err"), "abcdef INCLUSAO4.txt\r\n");
    t.arquivos.falhasApaga = 1;
    ApagaArquivo(t.ctx, alvo);
    EXPECT_TRUE(Contem(t.novosEventos(), "Tipo incompatível"));
    EXPECT_TRUE(t.arquivos.podeLer(alvo));

    t.arquivos.grava(t.comanda("abertos.err"), "     9 INCLUSAO4.txt\r\n");
    t.arquivos.falhasApaga = 100;
    ApagaArquivo(t.ctx, alvo);
    const auto eventos = t.novosEventos();
    EXPECT_EQ(std::count(eventos.begin(), eventos.end(), "Tentando apagar " + alvo), 5);
    EXPECT_EQ(t.executor.linhas, std::vector<std::string>(4, "'/usr/local/bin/Net' files 9 /close"));
    EXPECT_TRUE(t.arquivos.podeLer(alvo));
    EXPECT_TRUE(t.timer1.ligado());
}

}  // namespace
}  // namespace varelo
