// The real program, started --headless against the private MariaDB, under
// what a restaurant sees go wrong: the server going away and coming back in
// the middle of a stream of requests, a CUPS queue refusing jobs, the
// monitored folder vanishing, and a folder flooded with requests. Whatever
// happens, every request is answered once, nothing is written twice and the
// program goes on. (The fault-point harness, tests/faults, fails every
// single point, kills included.)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/startup_settings.h"
#include "base/ini.h"
#include "tests/support/private_cups.h"
#include "tests/support/program_run.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Relogio = std::chrono::steady_clock;

double Segundos(Relogio::time_point desde) {
    return std::chrono::duration<double>(Relogio::now() - desde).count();
}

// The request line of one item of product 1 ("Inteira") on comanda `n`.
std::string LinhaInclusao(int n) {
    return "1;Inteira;" + std::to_string(n) + ";;" + std::to_string(n % 50 + 1) + ";Falha;;0\r\n";
}

// The number of a reply file named `prefixo`<n>.txt, or -1.
int NumeroResposta(const std::string& nome, const std::string& prefixo) {
    if (nome.size() <= prefixo.size() + 4 || nome.compare(0, prefixo.size(), prefixo) != 0 ||
        nome.compare(nome.size() - 4, 4, ".txt") != 0)
        return -1;
    const std::string meio = nome.substr(prefixo.size(), nome.size() - prefixo.size() - 4);
    if (meio.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stoi(meio);
}

class Falhas : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        ASSERT_EQ(Script("seed"), 0);
        const std::string ini = CaminhoConfigIni(t.ctx);
        GravaIni("VareloSync", "PastaComanda", t.pastaComandas(), ini);
        GravaIni("Varelo", "IPServidor", ContextoTeste::IpServidorTeste(), ini);
        GravaIni("Varelo", "Driver", "MariaDB Unicode", ini);
        setenv("XDG_CONFIG_HOME", t.armazem.pastaBase().c_str(), 1);
        argumentos = {"--home", t.pasta.caminho(), "--print-to", t.pasta.arquivo("impressoras"),
                      "--headless"};
        pasta = t.pastaComandas();
    }

    void TearDown() override {
        // A test that failed half-way must not leave the server down for the
        // tests after it.
        if (servidorParado) Script("resume");
    }

    static int Script(const std::string& comando) {
        const std::string linha = std::string(std::getenv("VARELO_SOURCE_DIR")) +
                                  "/scripts/private-mariadb.sh " + comando + " '" +
                                  std::getenv("VARELO_TEST_DB_DIR") + "' >/dev/null";
        return std::system(linha.c_str());
    }

    // Puts a request into the monitored folder whole: written under a name
    // that the scan skips, then renamed.
    void Pede(const std::string& nome, const std::string& conteudo) {
        const fs::path temporario = pasta / ("." + nome + ".tmp");
        {
            std::ofstream f(temporario, std::ios::binary);
            f << conteudo;
        }
        fs::rename(temporario, pasta / nome);
    }
    void PedeInclusao(int n) { Pede("INCLUSAO" + std::to_string(n) + ".txt", LinhaInclusao(n)); }

    // Takes the replies that are in the folder: each is counted by its
    // number and removed, so that a second reply to the same request shows
    // as a second count. A reply still being written is left for the next
    // call.
    void Colhe() {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(pasta, ec)) {
            const std::string nome = e.path().filename().string();
            const int ok = NumeroResposta(nome, "okComanda");
            const int erro = NumeroResposta(nome, "erro");
            if (ok < 0 && erro < 0) continue;
            const std::string conteudo = Le(e.path());
            if (conteudo.empty()) continue;
            if (ok >= 0) {
                EXPECT_EQ(conteudo, "ok\r\n") << nome;
                ++oks[ok];
            } else {
                EXPECT_EQ(conteudo, "erro\r\n") << nome;
                ++erros[erro];
            }
            fs::remove(e.path());
        }
    }
    std::size_t Respondidos() const { return oks.size() + erros.size(); }

    std::size_t Inclusoes() const {
        std::size_t n = 0;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(pasta, ec))
            if (e.path().filename().string().rfind("INCLUSAO", 0) == 0) ++n;
        return n;
    }

    // A count from the server, on a connection opened for it (the server may
    // have been restarted since the last one).
    long Quantos(const std::string& sql) {
        t.banco.abandona();
        return std::stol(t.consulta(sql, "n").at(0));
    }

    // Every request from `primeiro` to `ultimo` answered ok exactly once and
    // its item written once, with its log row; nothing else answered.
    void TodosUmaVez(int primeiro, int ultimo) {
        const long total = ultimo - primeiro + 1;
        for (int n = primeiro; n <= ultimo; ++n) {
            const auto vezes = oks.find(n);
            EXPECT_EQ(vezes == oks.end() ? 0 : vezes->second, 1) << "okComanda" << n;
        }
        for (const auto& [n, vezes] : erros) ADD_FAILURE() << "erro" << n << ".txt " << vezes << "x";
        EXPECT_EQ(oks.size(), static_cast<std::size_t>(total));
        EXPECT_EQ(Quantos("Select count(*) as n from ItemComanda"), total);
        EXPECT_EQ(Quantos("Select count(distinct Comanda) as n from ItemComanda"), total);
        EXPECT_EQ(Quantos("Select count(*) as n from Logs where log like 'PALM Incluido item:%'"), total);
        EXPECT_EQ(Quantos("Select count(*) as n from Comanda"), total);
    }

    bool Pronto() const { return fs::exists(pasta / "cadpro.txt"); }

    // A new request after the fault is answered.
    void AindaAtende(Execucao& programa, int n) {
        PedeInclusao(n);
        EXPECT_TRUE(Aguarda(
            [&] {
                Colhe();
                return oks.count(n) > 0;
            },
            40s))
            << programa.Saida().substr(programa.Saida().size() > 4000 ? programa.Saida().size() - 4000 : 0);
        EXPECT_TRUE(programa.Rodando());
    }

    ContextoTeste t;
    std::vector<std::string> argumentos;
    fs::path pasta;
    std::map<int, int> oks, erros;
    std::atomic<bool> servidorParado{false};
};

// The real server is shut down (keeping its data) while requests stream in,
// and started again a few seconds later: the driver's reconnection after the
// pause, end to end. (Every single point of failure is tried by the
// fault-point harness; this is the outage as a restaurant sees it.)
TEST_F(Falhas, ServidorCaiEVoltaDuranteUmaSequenciaDePedidos) {
    constexpr int kPrimeiro = 1001, kTotal = 40, kLote = 10;
    Execucao programa(argumentos, t.pasta.caminho(), "banco");
    ASSERT_TRUE(Aguarda([&] { return Pronto(); })) << programa.Saida() << programa.Erros();

    const auto inicio = Relogio::now();
    int escritos = 0;
    std::thread queda;
    std::atomic<int> falhaScript{0};
    std::atomic<bool> voltou{false};
    const bool terminou = Aguarda(
        [&] {
            Colhe();
            if (escritos < kTotal && Inclusoes() < kLote)
                for (int i = 0; i < kLote && escritos < kTotal; ++i) PedeInclusao(kPrimeiro + escritos++);
            if (!queda.joinable() && Respondidos() >= 10) {
                queda = std::thread([&] {
                    servidorParado = true;
                    if (Script("pause") != 0) ++falhaScript;
                    std::this_thread::sleep_for(4s);
                    if (Script("resume") != 0) ++falhaScript;
                    servidorParado = false;
                    voltou = true;
                });
            }
            return voltou && Respondidos() >= static_cast<std::size_t>(kTotal);
        },
        240s);
    if (queda.joinable()) queda.join();
    ASSERT_EQ(falhaScript, 0);
    ASSERT_TRUE(terminou) << Respondidos() << " of " << kTotal << " answered\n"
                          << programa.Saida().substr(programa.Saida().size() > 4000 ? programa.Saida().size() - 4000 : 0);
    std::printf("[ time     ] %d requests with one server outage: %.1f s\n", kTotal, Segundos(inicio));

    // The outage was seen, and did not end the program.
    EXPECT_NE(programa.Saida().find("Erro no banco de dados, reiniciando programa em 10 segundos"),
              std::string::npos);
    EXPECT_EQ(Inclusoes(), 0u);
    TodosUmaVez(kPrimeiro, kPrimeiro + kTotal - 1);
    AindaAtende(programa, kPrimeiro + kTotal);
    programa.Para();
}

// The kitchen printer is a CUPS queue that refuses jobs when the table's
// tickets are asked for: the item stays unprinted and the request waits in
// the folder; it is printed once, as soon as the queue takes jobs again.
TEST_F(Falhas, FilaDoCupsRecusaOCupomEDepoisAceita) {
    if (!TemCupsd()) GTEST_SKIP() << "cupsd não está instalado (pacote cups; scripts/install-deps.sh)";
    // The scheduler's filters run as lp, which must reach the spool inside.
    ASSERT_EQ(::chmod(t.pasta.caminho().c_str(), 0755), 0);
    CupsPrivado cups(t.pasta.arquivo("cups"), PortaLivre());
    ASSERT_TRUE(cups.iniciado()) << cups.saidaInicio();
    ASSERT_TRUE(cups.recusa());
    t.banco.AbreBanco("Update Grupos set Impressora='varelo-teste', Impressora2='' where idgrupo=1");
    t.banco.FechaBanco();

    // The desktop's printing system, which is the private scheduler only.
    ::setenv("CUPS_SERVER", cups.endereco().c_str(), 1);
    Execucao programa({"--home", t.pasta.caminho(), "--headless"}, t.pasta.caminho(), "cups");
    ::unsetenv("CUPS_SERVER");
    ASSERT_TRUE(Aguarda([&] { return Pronto(); })) << programa.Saida() << programa.Erros();

    constexpr int kComanda = 4007, kMesa = kComanda % 50 + 1;
    const std::string pedidoMesa = "PRINTM" + std::to_string(kMesa) + ".txt";
    PedeInclusao(kComanda);
    ASSERT_TRUE(Aguarda([&] {
        Colhe();
        return oks.count(kComanda) > 0;
    })) << programa.Saida();
    const auto impressos = [&] { return Quantos("Select count(*) as n from ItemComanda where Impresso=1"); };
    const auto pedidosDaMesa = [&] {
        return fs::exists(pasta / pedidoMesa) ? -1 : Quantos("Select count(*) as n from Logs where log like 'PALM Imprimiu%'");
    };

    Pede(pedidoMesa, "\r\n");
    ASSERT_TRUE(Aguarda([&] {
        return Conta(programa.Saida(), "Cupom não aceito pela impressora varelo-teste") >= 2;
    })) << programa.Saida();
    EXPECT_TRUE(fs::exists(pasta / pedidoMesa));
    EXPECT_EQ(impressos(), 0);
    EXPECT_EQ(Quantos("Select count(*) as n from LogImp"), 0);
    EXPECT_EQ(cups.trabalhos(), 0) << cups.lpstat("-W all -o varelo-teste");

    ASSERT_TRUE(cups.aceita());
    ASSERT_TRUE(Aguarda([&] { return impressos() == 1 && pedidosDaMesa() == 1; })) << programa.Saida();
    const std::string job = cups.aguardaTrabalho();
    ASSERT_EQ(job.rfind("%PDF-", 0), 0u) << "no job reached the queue\n" << cups.registro();
    std::string texto;
    ASSERT_EQ(Executa("pdftotext -layout " + Aspas(cups.saidaDaFila()) + " -", texto), 0) << texto;
    for (const char* linha : {"MESA         8", "COMANDA      4007", "1 x Feijoada"})
        EXPECT_NE(texto.find(linha), std::string::npos) << linha << "\n" << texto;

    // Asked again, nothing is left to print: one job, one trace row.
    Pede(pedidoMesa, "\r\n");
    ASSERT_TRUE(Aguarda([&] { return pedidosDaMesa() == 2; }))
        << programa.Saida();
    EXPECT_EQ(cups.trabalhos(), 1) << cups.lpstat("-W all -o varelo-teste");
    EXPECT_EQ(Quantos("Select count(*) as n from LogImp"), 1);
    EXPECT_TRUE(programa.Rodando());
    programa.Para();
}

// The monitored folder disappears under the running monitor and comes back.
TEST_F(Falhas, PastaMonitoradaSomeEVolta) {
    Execucao programa(argumentos, t.pasta.caminho(), "pasta");
    ASSERT_TRUE(Aguarda([&] { return Pronto(); })) << programa.Saida() << programa.Erros();
    fs::remove_all(pasta);
    ASSERT_TRUE(Aguarda([&] { return programa.Saida().find("Erro de acesso a arquivo / Pasta") != std::string::npos; },
                        10s))
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
TEST_F(Falhas, DezMilPedidosDeUmaVez) {
    constexpr int kFechamentos = 10000, kPrimeiro = 3001, kInclusoes = 5;
    Execucao programa(argumentos, t.pasta.caminho(), "enxurrada");
    ASSERT_TRUE(Aguarda([&] { return Pronto(); })) << programa.Saida() << programa.Erros();

    // Written aside, then moved in, so that they arrive between two scans.
    const fs::path lote = t.pasta.arquivo("lote");
    fs::create_directories(lote);
    std::vector<std::string> nomes;
    for (int n = 1; n <= kFechamentos; ++n) {
        nomes.push_back("FECHACOMANDA" + std::to_string(n) + ".txt");
        std::ofstream(lote / nomes.back(), std::ios::binary) << "\r\n";
    }
    for (int i = 0; i < kInclusoes; ++i) {
        nomes.push_back("INCLUSAO" + std::to_string(kPrimeiro + i) + ".txt");
        std::ofstream(lote / nomes.back(), std::ios::binary) << LinhaInclusao(kPrimeiro + i);
    }
    for (const std::string& nome : nomes) fs::rename(lote / nome, pasta / nome);
    const auto inicio = Relogio::now();

    auto restantes = [&] {
        std::size_t n = 0;
        for (const auto& e : fs::directory_iterator(pasta)) {
            const std::string nome = e.path().filename().string();
            if (nome.rfind("FECHACOMANDA", 0) == 0 || nome.rfind("INCLUSAO", 0) == 0) ++n;
        }
        return n;
    };
    ASSERT_TRUE(Aguarda(
        [&] {
            Colhe();
            return restantes() == 0 && Respondidos() >= static_cast<std::size_t>(kInclusoes);
        },
        120s))
        << restantes() << " requests left, " << Respondidos() << " answered";
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
