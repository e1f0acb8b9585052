// The real program, started --headless against the private MariaDB with a
// monitored folder: what it answers, prints and refuses; and what a
// restaurant sees go wrong: the server going away and coming back in the
// middle of a stream of requests, a CUPS queue refusing jobs, the monitored
// folder vanishing, and a folder flooded with requests. Whatever happens,
// every request is answered once, nothing is written twice and the program
// goes on. (The fault-point harness, tests/faults, fails every single
// point, kills included.)
#include <sys/stat.h>
#include <sys/wait.h>

#include <atomic>
#include <fstream>
#include <map>
#include <regex>
#include <thread>

#include "base/encoding.h"
#include "tests/gui/gui.h"
#include "tests/support/test_printer.h"

namespace varelo {
namespace {

using namespace std::chrono_literals;
using std::chrono::steady_clock;

// Runs scripts/`linha` quietly; its exit status, -1 when it did not exit.
int Script(const std::string& linha) {
    const std::string comando = casos::DoProjeto("scripts/" + linha) + " >/dev/null";
    const int r = std::system(comando.c_str());
    return WIFEXITED(r) ? WEXITSTATUS(r) : -1;
}
int MariaDb(const std::string& acao) {
    return Script("private-mariadb.sh " + acao + " " + Aspas(std::getenv("VARELO_TEST_DB_DIR")));
}
double Segundos(steady_clock::time_point t) { return std::chrono::duration<double>(steady_clock::now() - t).count(); }
std::string Fim(const std::string& saida) { return saida.substr(saida.size() > 4000 ? saida.size() - 4000 : 0); }

// The request line of one item of product 1 ("Inteira") on comanda `n`.
std::string LinhaInclusao(int n) {
    return "1;Inteira;" + std::to_string(n) + ";;" + std::to_string(n % 50 + 1) + ";Falha;;0\r\n";
}

class Programa : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        ASSERT_EQ(MariaDb("seed"), 0);
        Configura(t, t.pastaComandas());
        setenv("XDG_CONFIG_HOME", t.armazem.pastaBase().c_str(), 1);  // the runs' per-user store is the test's own
    }
    // A test that failed half-way must not leave the server down for the tests after it.
    void TearDown() override { if (servidorParado) MariaDb("resume"); }

    // Puts a request into the monitored folder whole: written under a name
    // that the scan skips, then renamed.
    void Pede(const std::string& nome, const std::string& conteudo) {
        std::ofstream(pasta / ("." + nome + ".tmp"), std::ios::binary) << conteudo;
        fs::rename(pasta / ("." + nome + ".tmp"), pasta / nome);
    }
    void PedeInclusao(int n) { Pede("INCLUSAO" + std::to_string(n) + ".txt", LinhaInclusao(n)); }

    // Takes the replies that are in the folder: each is counted by its
    // number and removed, so that a second reply to the same request shows
    // as a second count. A reply still being written is left for the next call.
    void Colhe() {
        static const std::regex resposta("(okComanda|erro)([0-9]+)\\.txt");
        std::smatch m;
        for (const auto& e : fs::directory_iterator(pasta, erroPasta)) {
            const std::string nome = e.path().filename().string();
            std::string conteudo;
            if (!std::regex_match(nome, m, resposta) || (conteudo = Le(e.path())).empty()) continue;
            EXPECT_EQ(conteudo, m[1] == "erro" ? "erro\r\n" : "ok\r\n") << nome;
            ++(m[1] == "erro" ? erros : oks)[std::stoi(m[2])];
            fs::remove(e.path());
        }
    }
    std::size_t Respondidos() const { return oks.size() + erros.size(); }

    // How many files in the folder start with one of `prefixos` (alternatives of a regular expression).
    std::size_t Pedidos(const std::string& prefixos) {
        const std::regex pedido("(" + prefixos + ").*");
        std::size_t n = 0;
        for (const auto& e : fs::directory_iterator(pasta, erroPasta))
            n += std::regex_match(e.path().filename().string(), pedido);
        return n;
    }

    // A count of the rows `de` on the server, on a connection opened for it
    // (the server may have been restarted since the last one).
    long Quantos(const std::string& de, const std::string& o = "count(*)") {
        t.banco.abandona();
        return std::stol(t.consulta("Select " + o + " as n from " + de, "n").at(0));
    }

    // Every request from `primeiro` to `ultimo` answered ok exactly once and
    // its item written once, with its log row; nothing else answered.
    void TodosUmaVez(int primeiro, int ultimo) {
        std::map<int, int> umaVez;
        for (int n = primeiro; n <= ultimo; ++n) umaVez[n] = 1;
        EXPECT_EQ(oks, umaVez);
        EXPECT_EQ(erros, (std::map<int, int>{}));
        EXPECT_EQ((std::vector{Quantos("ItemComanda"), Quantos("ItemComanda", "count(distinct Comanda)"),
                               Quantos("Comanda"), Quantos("Logs where log like 'PALM Incluido item:%'")}),
                  std::vector<long>(4, ultimo - primeiro + 1));
    }

    // Starts the program as `nome`; true once it serves (its catalogue written).
    bool Inicia(const std::string& nome, const std::vector<std::string>& args = {}) {
        programa.emplace(args.empty() ? argumentos : args, t.pasta.caminho(), nome);
        return Aguarda([&] { return fs::exists(pasta / "cadpro.txt"); });
    }
    std::string Saidas() const { return programa->Saida() + programa->Erros(); }

    // A new request after the fault is answered.
    void AindaAtende(int n) {
        PedeInclusao(n);
        EXPECT_TRUE(Aguarda([&] { return Colhe(), oks.count(n) > 0; }, 40s)) << Fim(programa->Saida());
        EXPECT_TRUE(programa->Rodando());
    }

    ContextoTeste t;
    const fs::path pasta = t.pastaComandas();
    const std::vector<std::string> argumentos{"--home", t.pasta.caminho(), "--print-to", t.pasta.arquivo("impressoras"),
                                              "--headless"};
    std::optional<Execucao> programa;
    std::map<int, int> oks, erros;
    std::error_code erroPasta;
    std::atomic<bool> servidorParado{false};
};

// With the tick ten minutes away, requests are still served as they
// arrive: the monitored folder is watched.
TEST_F(Programa, AtendeOPalmAssimQueChegaImprimeERecusaUmaSegundaCopia) {
    const std::vector<std::string> sobras{"erro4.txt", "okcomanda4.txt", "ConsumoComanda4.txt"};
    for (const std::string& sobra : sobras) t.pedido(sobra, "velho");
    ::setenv("VARELO_INTERVALO_MONITOR_MS", "600000", 1);
    const bool pronto = Inicia("primeira");
    ::unsetenv("VARELO_INTERVALO_MONITOR_MS");
    ASSERT_TRUE(pronto) << Saidas();
    Pede("INCLUSAO5.txt", ParaCp1252("1;Inteira;5;sem pimenta;5;João;;0\r\n"));
    ASSERT_TRUE(Aguarda([&] { return fs::exists(pasta / "okComanda5.txt"); })) << Saidas();
    for (const std::string& sobra : sobras) EXPECT_FALSE(fs::exists(pasta / sobra)) << sobra;
    for (const char* catalogo : {"cadpro.txt", "atendentes.txt", "Comandas.txt", "cadqtde.txt", "cadobs.txt"})
        EXPECT_TRUE(fs::exists(pasta / catalogo)) << catalogo;
    EXPECT_TRUE(Tem(DeCp1252(Le(pasta / "cadpro.txt")), "Feijoada Completa"));
    ASSERT_TRUE(Aguarda([&] { return fs::exists(pasta / "ConsumoComanda5.txt"); }));

    // The table's kitchen ticket goes to the group's printer.
    t.pedido("PRINTM5.txt", "\r\n");
    ASSERT_TRUE(Aguarda([&] { return !t.documentos("cozinha").empty() && !fs::exists(pasta / "PRINTM5.txt"); }))
        << Saidas();
    for (const char* linha : {"Feijoada", "Obs    : sem pimenta"})
        EXPECT_TRUE(Tem(t.documentos("cozinha").front(), linha));

    Execucao segunda(argumentos, t.pasta.caminho(), "segunda");
    EXPECT_EQ(segunda.Termina(), 3) << segunda.Erros();
    EXPECT_EQ(Conta(segunda.Saida(), "JÁ EXISTE UMA INSTANCIA DESTE EXECUTAVEL ABERTO. FINALIZANDO SISTEMA.\n"), 1000u);
    EXPECT_EQ(Quantos("ItemComanda"), 1);
    // The first copy goes on serving.
    t.pedido("INCLUSAO6.txt", "10;Dose;6;;6;Maria;;0\r\n");
    EXPECT_TRUE(Aguarda([&] { return fs::exists(pasta / "okComanda6.txt"); })) << programa->Saida();

    // The handheld simulator gets its answer; an unknown product gets erro.
    const std::string palm = "palm.sh " + Aspas(pasta) + " INCLUSAO ";
    EXPECT_EQ(Script(palm + "7 '10;Dose;7;sem açúcar;7;Ana;;0'"), 0);
    EXPECT_FALSE(fs::exists(pasta / "okComanda7.txt"));
    EXPECT_EQ(t.consulta("Select Obs from ItemComanda where Comanda=7", "Obs"), std::vector<std::string>{"sem açúcar"});
    EXPECT_EQ(Script(palm + "8 '999;Dose;8;;8;Ana;;0'"), 1);
}

// The kitchen and the bar print on thermal printers on the network. The
// kitchen's is out of paper: the table's ticket goes to its backup, the
// bar's, under the marked line, and the item is marked printed there; the
// bill prints on the bar's printer in its code page; with paper again, a
// delivery ticket prints on the kitchen's.
TEST_F(Programa, ImpressorasTermicasDiretasComReserva) {
    ImpressoraDeTeste cozinha, bar;
    cozinha.responde(ImpressoraDeTeste::kPronta, ImpressoraDeTeste::kSemPapel);
    const std::string ini = CaminhoConfigIni(t.ctx);
    for (const auto& [chave, valor] : {std::pair{"cozinha", cozinha.endereco()}, {"cozinha.Reserva", "bar"},
                                       {"bar", bar.endereco()}, {"bar.CodePage", "850"}, {"bar.Colunas", "32"},
                                       {"cozinha.Colunas", "40"}})
        GravaIni("Impressoras", chave, valor, ini);
    t.armazem.grava("Varelo", "Config", "ImpCupom", "bar");
    ASSERT_TRUE(Inicia("termicas")) << Saidas();
    AindaAtende(5007);  // table 5007 % 50 + 1 = 8
    Pede("PRINTM8.txt", "\r\n");
    ASSERT_TRUE(Aguarda([&] { return bar.documentos().size() == 1 && !fs::exists(pasta / "PRINTM8.txt"); }))
        << programa->Saida();
    const std::string ticket = bar.documentos()[0];
    EXPECT_EQ(ticket.rfind("\x1b@\x1bt\x02", 0), 0u) << ticket;  // code page 850
    // Laid out for the kitchen's 40 columns, wherever it is printed.
    const std::string regua40 = "\n" + std::string(40, '-') + "\n";
    for (const std::string& trecho : {std::string("\x1b" "E\x01*** IMPRESSO NA RESERVA DE cozinha ***\n"),
                                      std::string("PEDIDO DE MESA") + regua40, std::string("1 x Feijoada") + regua40,
                                      std::string("\n\x1dV\x01")})
        EXPECT_TRUE(Tem(ticket, trecho));
    EXPECT_TRUE(cozinha.documentos().empty());
    EXPECT_EQ(t.consulta("Select impressora from ItemComanda where Comanda = 5007", "impressora"),
              std::vector<std::string>{"bar"});
    EXPECT_TRUE(Tem(programa->Saida(), "Impressora cozinha: sem papel\n"));
    Pede("FECHACONTA5007.txt", "Ana\r\n");
    ASSERT_TRUE(Aguarda([&] { return bar.documentos().size() == 2; })) << programa->Saida();
    // The bill fills the bar's 32 columns but two; its last rule, all 32.
    const std::string conta = bar.documentos()[1];
    EXPECT_TRUE(Tem(conta, "\n" + std::string(30, '-') + "\nTOTAL A PAGAR            59,90\n"));
    EXPECT_TRUE(Tem(conta, "\nDescricaoQTDExUNIT       VALOR\n" + std::string(30, '-') +
                               "\nFeijoad     1x  59,90    59,90\n"));
    EXPECT_TRUE(Tem(conta, "\n" + std::string(32, '-') + "\nVarelo Tecnologia"));

    // Paper again: a delivery order prints on the kitchen's own printer.
    cozinha.responde(ImpressoraDeTeste::kPronta, ImpressoraDeTeste::kPronta);
    t.executa("Insert into Delivery (idpedido, idcliente, endereco, Comando) values (77, 1, 'Rua A', 0)");
    t.executa("Insert into iDelivery (idpedido, idproduto, Qtde, Obs, lancado, valor) "
              "values (77, 1, 1, '', 'Ana', 59.9)");
    Pede("PRINTD77.txt", "\r\n");
    ASSERT_TRUE(Aguarda([&] { return cozinha.documentos().size() == 1; })) << programa->Saida();
    EXPECT_TRUE(Tem(cozinha.documentos()[0], "DELIVERY ( 77 )" + regua40));
    EXPECT_TRUE(Tem(programa->Saida(), "Impressora cozinha: pronta\n"));

    // The kitchen's printer unplugged and its backup off line: the next
    // table's item waits, and prints once, on the kitchen's printer, when it
    // is back.
    cozinha.desliga();
    bar.responde(ImpressoraDeTeste::kForaDeLinha, ImpressoraDeTeste::kPronta);
    AindaAtende(5008);  // table 9
    Pede("PRINTM9.txt", "\r\n");
    const std::string recusa = "impressora cozinha: Impressora inacessível: " + cozinha.endereco() +
                               " (Connection refused); reserva bar: Impressora bar: fora de linha - itens";
    ASSERT_TRUE(Aguarda([&] { return Tem(programa->Saida(), recusa); }));
    EXPECT_TRUE(Tem(programa->Saida(), "Impressora bar: fora de linha\n"));
    const std::string item = "Select impresso, impressora from ItemComanda where Comanda = 5008";
    EXPECT_EQ(t.consulta(item, "impresso"), std::vector<std::string>{"0"});
    EXPECT_TRUE(Tem(programa->Saida(), "Impressora cozinha: fora de linha\n"));
    cozinha.liga();
    for (int vez = 0; vez < 2; ++vez) {
        Pede("PRINTM9.txt", "\r\n");
        ASSERT_TRUE(Aguarda([&] { return !fs::exists(pasta / "PRINTM9.txt"); })) << programa->Saida();
    }
    EXPECT_EQ(cozinha.documentos().size(), 2u);
    EXPECT_TRUE(Tem(cozinha.documentos().back(), "PEDIDO DE MESA"));
    EXPECT_EQ(t.consulta(item, "impressora"), std::vector<std::string>{"cozinha"});
}

TEST_F(Programa, TerminalRecusaComStatusDiferenteDeZero) {
    t.armazem.grava("Varelo", "Config", "Terminal", "1");
    Execucao programa(argumentos, t.pasta.caminho(), "terminal");
    EXPECT_EQ(programa.Termina(), 2);
    EXPECT_TRUE(Tem(programa.Erros(), LinhasEsperadas("terminal.txt").at(0)));
    EXPECT_FALSE(fs::exists(pasta / "cadpro.txt"));
}

// A server that tells table names apart by case cannot serve the order
// system's statements: the program says why, in the event list and a
// message box, and ends with status 4 (which the service does not restart).
TEST_F(Programa, ServidorQueDiferenciaMaiusculasERecusadoComStatus4) {
    const std::string servidor = Aspas(t.pasta.arquivo("lctn0")), porta = std::to_string(PortaLivre());
    ::setenv("VARELO_DB_LOWER_CASE", "0", 1);
    const int iniciado = Script("private-mariadb.sh start " + servidor + " " + porta);
    ::unsetenv("VARELO_DB_LOWER_CASE");
    ASSERT_EQ(iniciado, 0);
    GravaIni("Varelo", "IPServidor", "127.0.0.1;Port=" + porta, CaminhoConfigIni(t.ctx));
    Execucao programa(argumentos, t.pasta.caminho(), "maiusculas");
    const int saida = programa.Termina();
    Script("private-mariadb.sh stop " + servidor);
    EXPECT_EQ(saida, 4) << programa.Saida() << programa.Erros();
    EXPECT_TRUE(Tem(programa.Saida(), "(lower_case_table_names=0)"));
    EXPECT_TRUE(Tem(programa.Erros(), "Ajuste lower_case_table_names=1"));
    EXPECT_FALSE(fs::exists(pasta / "cadpro.txt"));
}

// The command line alone: the status and both output streams, whole.
TEST_F(Programa, VersaoAjudaEOpcaoDesconhecida) {
    const std::string ajuda = Esperado("ajuda.txt"), versao = std::string("VareloSync ") + VARELO_VERSION + "\n";
    using Caso = std::tuple<std::string, int, std::string, std::string>;  // option, status, output, errors
    for (const auto& [opcao, status, saida, erros] :
         {Caso{"--version", 0, versao, ""}, Caso{"--help", 0, ajuda, ""},
          Caso{"--sem-janela", 1, "", "varelosync: unknown option: --sem-janela\n\n" + ajuda}}) {
        Execucao run({opcao}, t.pasta.caminho(), opcao.substr(2));
        const int fim = run.Termina();
        EXPECT_EQ(std::tuple(fim, run.Saida(), run.Erros()), std::tuple(status, saida, erros)) << opcao;
    }
}

// The real server is shut down (keeping its data) while requests stream in,
// and started again a few seconds later: the driver's reconnection after the
// pause, end to end, as a restaurant sees it. Then the monitored folder
// disappears under the running monitor and comes back.
TEST_F(Programa, ServidorCaiEVoltaDuranteUmaSequenciaDePedidosEAPastaSomeEVolta) {
    constexpr int kPrimeiro = 1001, kTotal = 40, kLote = 10;
    ASSERT_TRUE(Inicia("banco")) << Saidas();
    const auto inicio = steady_clock::now();
    int escritos = 0;
    std::thread queda;
    std::atomic<int> falhasScript{0};
    std::atomic<bool> voltou{false};
    const bool terminou = Aguarda([&] {
        Colhe();
        if (escritos < kTotal && Pedidos("INCLUSAO") < kLote)
            for (int i = 0; i < kLote && escritos < kTotal; ++i) PedeInclusao(kPrimeiro + escritos++);
        if (!queda.joinable() && Respondidos() >= 10)
            queda = std::thread([&] {
                servidorParado = true;
                falhasScript += MariaDb("pause") != 0;
                std::this_thread::sleep_for(4s);
                falhasScript += MariaDb("resume") != 0;
                servidorParado = false;
                voltou = true;
            });
        return voltou && Respondidos() >= std::size_t{kTotal};
    }, 240s);
    if (queda.joinable()) queda.join();
    ASSERT_EQ(falhasScript, 0);
    ASSERT_TRUE(terminou) << Respondidos() << " of " << kTotal << " answered\n" << Fim(programa->Saida());
    std::printf("[ time     ] %d requests with one server outage: %.1f s\n", kTotal, Segundos(inicio));
    // The outage was seen, and did not end the program.
    EXPECT_TRUE(Tem(programa->Saida(), "Erro no banco de dados, reiniciando programa em 10 segundos"));
    EXPECT_EQ(Pedidos("INCLUSAO"), 0u);
    AindaAtende(kPrimeiro + kTotal);

    fs::remove_all(pasta);
    ASSERT_TRUE(Aguarda([&] { return Tem(programa->Saida(), "Erro de acesso a arquivo / Pasta"); }, 10s))
        << programa->Saida();
    std::this_thread::sleep_for(2500ms);  // a few more scans on the missing folder
    ASSERT_TRUE(programa->Rodando()) << programa->Erros();
    fs::create_directories(pasta);
    AindaAtende(kPrimeiro + kTotal + 1);
    TodosUmaVez(kPrimeiro, kPrimeiro + kTotal + 1);
}

// The kitchen's and the bill's printer are one queue of the desktop's CUPS
// that refuses jobs when the table's tickets are asked for: the queue is
// told off line, the item stays unprinted and the request waits in the
// folder; it is printed once, as soon as the queue takes jobs again, and
// the bill after it. With the scheduler gone, the bill is refused.
TEST_F(Programa, FilaDoCupsRecusaOCupomEDepoisAceita) {
    if (!TemCupsd()) GTEST_SKIP() << "cupsd não está instalado (pacote cups; scripts/install-deps.sh)";
    ASSERT_EQ(::chmod(t.pasta.caminho().c_str(), 0755), 0);  // the scheduler's filters run as lp
    CupsPrivado cups(t.pasta.arquivo("cups"), PortaLivre());
    ASSERT_TRUE(cups.iniciado()) << cups.saidaInicio();
    ASSERT_TRUE(cups.faz("reject"));
    t.executa("Update Grupos set Impressora='varelo-teste', Impressora2='' where idgrupo=1");
    t.armazem.grava("Varelo", "Config", "ImpCupom", CupsPrivado::kFila);
    // The desktop's printing system, which is the private scheduler only.
    ::setenv("CUPS_SERVER", cups.endereco().c_str(), 1);
    const bool pronto = Inicia("cups", {"--home", t.pasta.caminho(), "--headless"});
    ::unsetenv("CUPS_SERVER");
    ASSERT_TRUE(pronto) << Saidas();

    PedeInclusao(4007);  // at table 4007 % 50 + 1 = 8
    ASSERT_TRUE(Aguarda([&] { return Colhe(), oks.count(4007) > 0; })) << programa->Saida();
    const auto lpstat = [&] { return cups.saida("lpstat", "-W all -o varelo-teste"); };
    const auto trabalhos = [&] { return std::atoi(cups.saida("jobs").c_str()); };
    const auto impressos = [&] { return Quantos("ItemComanda where Impresso=1"); };
    const auto pedidosDaMesa = [&] {
        return fs::exists(pasta / "PRINTM8.txt") ? -1 : Quantos("Logs where log like 'PALM Imprimiu%'");
    };
    Pede("PRINTM8.txt", "\r\n");
    ASSERT_TRUE(Aguarda([&] { return Conta(programa->Saida(), "Cupom não aceito pela impressora varelo-teste") >= 2; }))
        << programa->Saida();
    EXPECT_TRUE(fs::exists(pasta / "PRINTM8.txt"));
    EXPECT_EQ(std::tuple(impressos(), Quantos("LogImp"), trabalhos()), std::tuple(0, 0, 0)) << lpstat();

    ASSERT_TRUE(cups.faz("accept"));
    ASSERT_TRUE(Aguarda([&] { return impressos() == 1 && pedidosDaMesa() == 1; })) << programa->Saida();
    ASSERT_TRUE(cups.faz("wait-job")) << "no job reached the queue\n" << cups.registro();
    std::string texto;
    ASSERT_EQ(Executa("pdftotext -layout " + Aspas(cups.saidaDaFila()) + " -", texto), 0) << texto;
    for (const std::string& linha : LinhasEsperadas("cupom_mesa8.txt")) EXPECT_TRUE(Tem(texto, linha));

    for (const char* estado : {"fora de linha", "pronta"})
        EXPECT_TRUE(Tem(programa->Saida(), "Impressora varelo-teste: " + std::string(estado) + "\n"));

    // Asked again, nothing is left to print: one job, one trace row.
    Pede("PRINTM8.txt", "\r\n");
    ASSERT_TRUE(Aguarda([&] { return pedidosDaMesa() == 2; })) << programa->Saida();
    EXPECT_EQ(std::tuple(trabalhos(), Quantos("LogImp")), std::tuple(1, 1)) << lpstat();

    // The bill, in one page. The queue's file holds the last job; pdftotext
    // guesses the spaces between words, so runs of spaces are read as one.
    Pede("FECHACONTA4007.txt", "Ana\r\n");
    const auto conta = [&] {
        return Executa("pdftotext -layout " + Aspas(cups.saidaDaFila()) + " - | tr -s ' '", texto) == 0 &&
               Tem(texto, "Comanda:");
    };
    ASSERT_TRUE(Aguarda(conta)) << programa->Saida() << lpstat();
    for (const char* linha : {"\nComanda: 4007\n", "\nGarcon : Ana\n", "\nTOTAL A PAGAR 59,90\n"})
        EXPECT_TRUE(Tem(texto, linha));
    EXPECT_EQ(Conta(texto, "\f"), 1u);

    ASSERT_TRUE(cups.faz("stop"));
    Pede("FECHACONTA4007.txt", "Ana\r\n");
    ASSERT_TRUE(Aguarda([&] { return Tem(programa->Saida(), "Conta não aceita pela impressora varelo-teste"); }))
        << programa->Saida();
    EXPECT_TRUE(programa->Rodando());
}

// Ten thousand requests that need no database, and a few inclusions, land
// in the folder at once.
TEST_F(Programa, DezMilPedidosDeUmaVez) {
    constexpr int kFechamentos = 10000, kPrimeiro = 3001, kInclusoes = 5;
    ASSERT_TRUE(Inicia("enxurrada")) << Saidas();
    // Written aside, then moved in, so that they arrive between two scans.
    const fs::path lote = t.pasta.arquivo("lote");
    fs::create_directories(lote);
    std::vector<std::pair<std::string, std::string>> pedidos;
    for (int n = 1; n <= kFechamentos; ++n) pedidos.emplace_back("FECHACOMANDA" + std::to_string(n) + ".txt", "\r\n");
    for (int n = kPrimeiro; n < kPrimeiro + kInclusoes; ++n)
        pedidos.emplace_back("INCLUSAO" + std::to_string(n) + ".txt", LinhaInclusao(n));
    for (const auto& [nome, conteudo] : pedidos) std::ofstream(lote / nome, std::ios::binary) << conteudo;
    for (const auto& [nome, conteudo] : pedidos) fs::rename(lote / nome, pasta / nome);
    const auto inicio = steady_clock::now();
    const auto restantes = [&] { return Pedidos("FECHACOMANDA|INCLUSAO"); };
    ASSERT_TRUE(Aguarda([&] { return Colhe(), restantes() == 0 && Respondidos() >= std::size_t{kInclusoes}; }, 120s))
        << restantes() << " requests left, " << Respondidos() << " answered";
    std::printf("[ time     ] %d requests at once: %.1f s\n", kFechamentos + kInclusoes, Segundos(inicio));
    // Each closing is one deletion of its own file.
    EXPECT_EQ(Conta(programa->Saida(), "Tentando apagar " + (pasta / "FECHACOMANDA").string()), 1u * kFechamentos);
    TodosUmaVez(kPrimeiro, kPrimeiro + kInclusoes - 1);
    AindaAtende(kPrimeiro + kInclusoes);
}

}  // namespace
}  // namespace varelo
