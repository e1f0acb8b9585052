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

namespace varelo {
namespace {

using namespace std::chrono_literals;

// Runs scripts/`linha` quietly; its exit status, -1 when it did not exit.
int Script(const std::string& linha) {
    const int r = std::system((std::string(std::getenv("VARELO_SOURCE_DIR")) + "/scripts/" + linha + " >/dev/null").c_str());
    return WIFEXITED(r) ? WEXITSTATUS(r) : -1;
}
int MariaDb(const std::string& acao) { return Script("private-mariadb.sh " + acao + " " + Aspas(std::getenv("VARELO_TEST_DB_DIR"))); }

// The request line of one item of product 1 ("Inteira") on comanda `n`.
std::string LinhaInclusao(int n) {
    return "1;Inteira;" + std::to_string(n) + ";;" + std::to_string(n % 50 + 1) + ";Falha;;0\r\n";
}
std::string Fim(const std::string& saida) { return saida.substr(saida.size() > 4000 ? saida.size() - 4000 : 0); }
double Segundos(std::chrono::steady_clock::time_point desde) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - desde).count();
}

class Programa : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        ASSERT_EQ(MariaDb("seed"), 0);
        Configura(t, t.pastaComandas());
        // The per-user store of the runs is the test's own.
        setenv("XDG_CONFIG_HOME", t.armazem.pastaBase().c_str(), 1);
    }
    // A test that failed half-way must not leave the server down for the
    // tests after it.
    void TearDown() override {
        if (servidorParado) MariaDb("resume");
    }

    // Puts a request into the monitored folder whole: written under a name
    // that the scan skips, then renamed.
    void Pede(const std::string& nome, const std::string& conteudo) {
        std::ofstream(pasta / ("." + nome + ".tmp"), std::ios::binary) << conteudo;
        fs::rename(pasta / ("." + nome + ".tmp"), pasta / nome);
    }
    void PedeInclusao(int n) { Pede("INCLUSAO" + std::to_string(n) + ".txt", LinhaInclusao(n)); }

    // Takes the replies that are in the folder: each is counted by its
    // number and removed, so that a second reply to the same request shows
    // as a second count. A reply still being written is left for the next
    // call.
    void Colhe() {
        static const std::regex resposta("(okComanda|erro)([0-9]+)\\.txt");
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(pasta, ec)) {
            const std::string nome = e.path().filename().string();
            std::smatch m;
            if (!std::regex_match(nome, m, resposta)) continue;
            const std::string conteudo = Le(e.path());
            if (conteudo.empty()) continue;
            const bool ok = m[1] == "okComanda";
            EXPECT_EQ(conteudo, ok ? "ok\r\n" : "erro\r\n") << nome;
            ++(ok ? oks : erros)[std::stoi(m[2])];
            fs::remove(e.path());
        }
    }
    std::size_t Respondidos() const { return oks.size() + erros.size(); }

    // The requests waiting in the folder whose names start with `prefixos`
    // (alternatives of a regular expression).
    std::size_t Pedidos(const std::string& prefixos) const {
        const std::regex pedido("(" + prefixos + ").*");
        std::size_t n = 0;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(pasta, ec)) n += std::regex_match(e.path().filename().string(), pedido);
        return n;
    }

    // A count of rows `de` from the server, on a connection opened for it
    // (the server may have been restarted since the last one).
    long Quantos(const std::string& de, const std::string& o = "count(*)") {
        t.banco.abandona();
        return std::stol(t.consulta("Select " + o + " as n from " + de, "n").at(0));
    }

    // Every request from `primeiro` to `ultimo` answered ok exactly once and
    // its item written once, with its log row; nothing else answered.
    void TodosUmaVez(int primeiro, int ultimo) {
        const long total = ultimo - primeiro + 1;
        for (int n = primeiro; n <= ultimo; ++n) EXPECT_EQ(oks.count(n) ? oks[n] : 0, 1) << "okComanda" << n;
        for (const auto& [n, vezes] : erros) ADD_FAILURE() << "erro" << n << ".txt " << vezes << "x";
        EXPECT_EQ(oks.size(), static_cast<std::size_t>(total));
        EXPECT_EQ(Quantos("ItemComanda"), total);
        EXPECT_EQ(Quantos("ItemComanda", "count(distinct Comanda)"), total);
        EXPECT_EQ(Quantos("Logs where log like 'PALM Incluido item:%'"), total);
        EXPECT_EQ(Quantos("Comanda"), total);
    }

    bool Pronto() const { return fs::exists(pasta / "cadpro.txt"); }

    // A new request after the fault is answered.
    void AindaAtende(Execucao& programa, int n) {
        PedeInclusao(n);
        EXPECT_TRUE(Aguarda([&] { return Colhe(), oks.count(n) > 0; }, 40s)) << Fim(programa.Saida());
        EXPECT_TRUE(programa.Rodando());
    }

    ContextoTeste t;
    const fs::path pasta = t.pastaComandas();
    const std::vector<std::string> argumentos{"--home", t.pasta.caminho(), "--print-to", t.pasta.arquivo("impressoras"),
                                              "--headless"};
    std::map<int, int> oks, erros;
    std::atomic<bool> servidorParado{false};
};

TEST_F(Programa, AtendeOPalmImprimeERecusaUmaSegundaCopia) {
    const std::vector<std::string> sobras{"erro4.txt", "okcomanda4.txt", "ConsumoComanda4.txt"};
    for (const std::string& sobra : sobras) t.pedido(sobra, "velho");
    t.pedido("INCLUSAO5.txt", "1;Inteira;5;sem pimenta;5;João;;0\r\n");

    Execucao programa(argumentos, t.pasta.caminho(), "primeira");
    ASSERT_TRUE(Aguarda([&] { return fs::exists(pasta / "okComanda5.txt"); })) << programa.Saida() << programa.Erros();
    EXPECT_EQ(Le(pasta / "okComanda5.txt"), "ok\r\n");
    EXPECT_FALSE(fs::exists(pasta / "INCLUSAO5.txt"));
    for (const std::string& sobra : sobras) EXPECT_FALSE(fs::exists(pasta / sobra)) << sobra;
    for (const char* catalogo : {"cadpro.txt", "atendentes.txt", "Comandas.txt", "cadqtde.txt", "cadobs.txt"})
        EXPECT_TRUE(fs::exists(pasta / catalogo)) << catalogo;
    EXPECT_NE(DeCp1252(Le(pasta / "cadpro.txt")).find("Feijoada Completa"), std::string::npos);
    ASSERT_TRUE(Aguarda([&] { return fs::exists(pasta / "ConsumoComanda5.txt"); }));

    // The table's kitchen ticket goes to the group's printer.
    t.pedido("PRINTM5.txt", "\r\n");
    ASSERT_TRUE(Aguarda([&] { return !t.documentos("cozinha").empty() && !fs::exists(pasta / "PRINTM5.txt"); }))
        << programa.Saida();
    const std::string bilhete = t.documentos("cozinha").front();
    for (const char* linha : {"Feijoada", "Obs    : sem pimenta"})
        EXPECT_NE(bilhete.find(linha), std::string::npos) << bilhete;
    // Every event-list line also reaches standard output.
    EXPECT_NE(programa.Saida().find("INCLUSAO5.txt"), std::string::npos) << programa.Saida();

    Execucao segunda(argumentos, t.pasta.caminho(), "segunda");
    EXPECT_EQ(segunda.Termina(), 3) << segunda.Erros();
    EXPECT_EQ(Conta(segunda.Saida(), "JÁ EXISTE UMA INSTANCIA DESTE EXECUTAVEL ABERTO. FINALIZANDO SISTEMA.\n"), 1000u);
    EXPECT_EQ(Quantos("ItemComanda"), 1);

    // The first copy goes on serving.
    t.pedido("INCLUSAO6.txt", "10;Dose;6;;6;Maria;;0\r\n");
    EXPECT_TRUE(Aguarda([&] { return fs::exists(pasta / "okComanda6.txt"); })) << programa.Saida();

    // The handheld simulator gets its answer; an unknown product gets erro.
    const std::string palm = "palm.sh " + Aspas(pasta) + " INCLUSAO ";
    EXPECT_EQ(Script(palm + "7 '10;Dose;7;sem açúcar;7;Ana;;0'"), 0);
    EXPECT_FALSE(fs::exists(pasta / "okComanda7.txt"));
    EXPECT_EQ(t.consulta("Select Obs from ItemComanda where Comanda=7", "Obs"), std::vector<std::string>{"sem açúcar"});
    EXPECT_EQ(Script(palm + "8 '999;Dose;8;;8;Ana;;0'"), 1);
    programa.Para();
}

TEST_F(Programa, TerminalRecusaComStatusDiferenteDeZero) {
    t.armazem.grava("Varelo", "Config", "Terminal", "1");
    Execucao programa(argumentos, t.pasta.caminho(), "terminal");
    EXPECT_EQ(programa.Termina(), 2);
    EXPECT_NE(programa.Erros().find("Este micro é um terminal do sistema Varelo. O sincronizador do sistema só pode "
                                    "ser aberto no micro servidor. O sistema será finalizado agora."),
              std::string::npos)
        << programa.Erros();
    EXPECT_FALSE(fs::exists(pasta / "cadpro.txt"));
}

// A server that tells table names apart by case cannot serve the order
// system's statements: the program says why, in the event list and a
// message box, and ends with status 4 (which the service does not restart).
TEST_F(Programa, ServidorQueDiferenciaMaiusculasERecusadoComStatus4) {
    const std::string servidor = "private-mariadb.sh start " + Aspas(t.pasta.arquivo("lctn0"));
    const std::string porta = std::to_string(PortaLivre());
    ::setenv("VARELO_DB_LOWER_CASE", "0", 1);
    const int iniciado = Script(servidor + " " + porta);
    ::unsetenv("VARELO_DB_LOWER_CASE");
    ASSERT_EQ(iniciado, 0);
    GravaIni("Varelo", "IPServidor", "127.0.0.1;Port=" + porta, CaminhoConfigIni(t.ctx));
    Execucao programa(argumentos, t.pasta.caminho(), "maiusculas");
    const int saida = programa.Termina();
    Script("private-mariadb.sh stop " + Aspas(t.pasta.arquivo("lctn0")));
    EXPECT_EQ(saida, 4) << programa.Saida() << programa.Erros();
    EXPECT_NE(programa.Saida().find("(lower_case_table_names=0)"), std::string::npos) << programa.Saida();
    EXPECT_NE(programa.Erros().find("Ajuste lower_case_table_names=1"), std::string::npos) << programa.Erros();
    EXPECT_FALSE(fs::exists(pasta / "cadpro.txt"));
}

// The command line alone: the status and both output streams, whole.
TEST_F(Programa, VersaoAjudaEOpcaoDesconhecida) {
    const std::string ajuda = Esperado("ajuda.txt"), versao = std::string("VareloSync ") + VARELO_VERSION + "\n";
    for (const auto& [opcao, status, saida, erros] :
         {std::tuple<std::string, int, std::string, std::string>{"--version", 0, versao, ""},
          {"--help", 0, ajuda, ""},
          {"--sem-janela", 1, "", "varelosync: unknown option: --sem-janela\n\n" + ajuda}}) {
        Execucao programa({opcao}, t.pasta.caminho(), opcao.substr(2));
        EXPECT_EQ(programa.Termina(), status) << opcao;
        EXPECT_EQ(programa.Saida(), saida) << opcao;
        EXPECT_EQ(programa.Erros(), erros) << opcao;
    }
}

// The real server is shut down (keeping its data) while requests stream in,
// and started again a few seconds later: the driver's reconnection after the
// pause, end to end, as a restaurant sees it.
TEST_F(Programa, ServidorCaiEVoltaDuranteUmaSequenciaDePedidos) {
    constexpr int kPrimeiro = 1001, kTotal = 40, kLote = 10;
    Execucao programa(argumentos, t.pasta.caminho(), "banco");
    ASSERT_TRUE(Aguarda([&] { return Pronto(); })) << programa.Saida() << programa.Erros();

    const auto inicio = std::chrono::steady_clock::now();
    int escritos = 0;
    std::thread queda;
    std::atomic<int> falhasScript{0};
    std::atomic<bool> voltou{false};
    const bool terminou = Aguarda(
        [&] {
            Colhe();
            if (escritos < kTotal && Pedidos("INCLUSAO") < kLote)
                for (int i = 0; i < kLote && escritos < kTotal; ++i) PedeInclusao(kPrimeiro + escritos++);
            if (!queda.joinable() && Respondidos() >= 10) {
                queda = std::thread([&] {
                    servidorParado = true;
                    falhasScript += MariaDb("pause") != 0;
                    std::this_thread::sleep_for(4s);
                    falhasScript += MariaDb("resume") != 0;
                    servidorParado = false;
                    voltou = true;
                });
            }
            return voltou && Respondidos() >= static_cast<std::size_t>(kTotal);
        },
        240s);
    if (queda.joinable()) queda.join();
    ASSERT_EQ(falhasScript, 0);
    ASSERT_TRUE(terminou) << Respondidos() << " of " << kTotal << " answered\n" << Fim(programa.Saida());
    std::printf("[ time     ] %d requests with one server outage: %.1f s\n", kTotal, Segundos(inicio));

    // The outage was seen, and did not end the program.
    EXPECT_NE(programa.Saida().find("Erro no banco de dados, reiniciando programa em 10 segundos"), std::string::npos);
    EXPECT_EQ(Pedidos("INCLUSAO"), 0u);
    TodosUmaVez(kPrimeiro, kPrimeiro + kTotal - 1);
    AindaAtende(programa, kPrimeiro + kTotal);
    programa.Para();
}

// The kitchen printer is a CUPS queue that refuses jobs when the table's
// tickets are asked for: the item stays unprinted and the request waits in
// the folder; it is printed once, as soon as the queue takes jobs again.
TEST_F(Programa, FilaDoCupsRecusaOCupomEDepoisAceita) {
    if (!TemCupsd()) GTEST_SKIP() << "cupsd não está instalado (pacote cups; scripts/install-deps.sh)";
    // The scheduler's filters run as lp, which must reach the spool inside.
    ASSERT_EQ(::chmod(t.pasta.caminho().c_str(), 0755), 0);
    CupsPrivado cups(t.pasta.arquivo("cups"), PortaLivre());
    ASSERT_TRUE(cups.iniciado()) << cups.saidaInicio();
    ASSERT_TRUE(cups.recusa());
    t.executa("Update Grupos set Impressora='varelo-teste', Impressora2='' where idgrupo=1");

    // The desktop's printing system, which is the private scheduler only.
    ::setenv("CUPS_SERVER", cups.endereco().c_str(), 1);
    Execucao programa({"--home", t.pasta.caminho(), "--headless"}, t.pasta.caminho(), "cups");
    ::unsetenv("CUPS_SERVER");
    ASSERT_TRUE(Aguarda([&] { return Pronto(); })) << programa.Saida() << programa.Erros();

    constexpr int kComanda = 4007;  // at table 4007 % 50 + 1 = 8
    const std::string pedidoMesa = "PRINTM8.txt";
    PedeInclusao(kComanda);
    ASSERT_TRUE(Aguarda([&] { return Colhe(), oks.count(kComanda) > 0; })) << programa.Saida();
    const auto impressos = [&] { return Quantos("ItemComanda where Impresso=1"); };
    const auto pedidosDaMesa = [&] {
        return fs::exists(pasta / pedidoMesa) ? -1 : Quantos("Logs where log like 'PALM Imprimiu%'");
    };

    Pede(pedidoMesa, "\r\n");
    ASSERT_TRUE(Aguarda([&] { return Conta(programa.Saida(), "Cupom não aceito pela impressora varelo-teste") >= 2; }))
        << programa.Saida();
    EXPECT_TRUE(fs::exists(pasta / pedidoMesa));
    EXPECT_EQ(impressos(), 0);
    EXPECT_EQ(Quantos("LogImp"), 0);
    EXPECT_EQ(cups.trabalhos(), 0) << cups.lpstat("-W all -o varelo-teste");

    ASSERT_TRUE(cups.aceita());
    ASSERT_TRUE(Aguarda([&] { return impressos() == 1 && pedidosDaMesa() == 1; })) << programa.Saida();
    ASSERT_EQ(cups.aguardaTrabalho().rfind("%PDF-", 0), 0u) << "no job reached the queue\n" << cups.registro();
    std::string texto;
    ASSERT_EQ(Executa("pdftotext -layout " + Aspas(cups.saidaDaFila()) + " -", texto), 0) << texto;
    for (const std::string& linha : LinhasEsperadas("cupom_mesa8.txt"))
        EXPECT_NE(texto.find(linha), std::string::npos) << linha << "\n" << texto;

    // Asked again, nothing is left to print: one job, one trace row.
    Pede(pedidoMesa, "\r\n");
    ASSERT_TRUE(Aguarda([&] { return pedidosDaMesa() == 2; })) << programa.Saida();
    EXPECT_EQ(cups.trabalhos(), 1) << cups.lpstat("-W all -o varelo-teste");
    EXPECT_EQ(Quantos("LogImp"), 1);
    EXPECT_TRUE(programa.Rodando());
    programa.Para();
}

// The monitored folder disappears under the running monitor and comes back.
TEST_F(Programa, PastaMonitoradaSomeEVolta) {
    Execucao programa(argumentos, t.pasta.caminho(), "pasta");
    ASSERT_TRUE(Aguarda([&] { return Pronto(); })) << programa.Saida() << programa.Erros();
    fs::remove_all(pasta);
    ASSERT_TRUE(Aguarda([&] { return programa.Saida().find("Erro de acesso a arquivo / Pasta") != std::string::npos; }, 10s))
        << programa.Saida();
    // A few more scans on the missing folder.
    std::this_thread::sleep_for(2500ms);
    ASSERT_TRUE(programa.Rodando()) << programa.Erros();
    fs::create_directories(pasta);
    AindaAtende(programa, 7);
    TodosUmaVez(7, 7);
    programa.Para();
}

// Ten thousand requests that need no database, and a few inclusions, land
// in the folder at once.
TEST_F(Programa, DezMilPedidosDeUmaVez) {
    constexpr int kFechamentos = 10000, kPrimeiro = 3001, kInclusoes = 5;
    Execucao programa(argumentos, t.pasta.caminho(), "enxurrada");
    ASSERT_TRUE(Aguarda([&] { return Pronto(); })) << programa.Saida() << programa.Erros();

    // Written aside, then moved in, so that they arrive between two scans.
    const fs::path lote = t.pasta.arquivo("lote");
    fs::create_directories(lote);
    std::vector<std::pair<std::string, std::string>> pedidos;
    for (int n = 1; n <= kFechamentos; ++n) pedidos.emplace_back("FECHACOMANDA" + std::to_string(n) + ".txt", "\r\n");
    for (int n = kPrimeiro; n < kPrimeiro + kInclusoes; ++n)
        pedidos.emplace_back("INCLUSAO" + std::to_string(n) + ".txt", LinhaInclusao(n));
    for (const auto& [nome, conteudo] : pedidos) std::ofstream(lote / nome, std::ios::binary) << conteudo;
    for (const auto& [nome, conteudo] : pedidos) fs::rename(lote / nome, pasta / nome);
    const auto inicio = std::chrono::steady_clock::now();

    ASSERT_TRUE(Aguarda([&] { return Colhe(), Pedidos("FECHACOMANDA|INCLUSAO") == 0 && Respondidos() >= kInclusoes; },
                        120s))
        << Pedidos("FECHACOMANDA|INCLUSAO") << " requests left, " << Respondidos() << " answered";
    std::printf("[ time     ] %d requests at once: %.1f s\n", kFechamentos + kInclusoes, Segundos(inicio));
    // Each closing is one deletion of its own file.
    EXPECT_EQ(Conta(programa.Saida(), "Tentando apagar " + (pasta / "FECHACOMANDA").string()),
              static_cast<std::size_t>(kFechamentos));
    TodosUmaVez(kPrimeiro, kPrimeiro + kInclusoes - 1);
    AindaAtende(programa, kPrimeiro + kInclusoes);
    programa.Para();
}

}  // namespace
}  // namespace varelo
