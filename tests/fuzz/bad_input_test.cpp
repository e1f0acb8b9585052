// The bad-input suite: seeded random and hostile input for the request record
// parser and reader, and for whole requests through the folder scan against
// the private MariaDB server. Every case is traced with its seed and
// iteration, so a failure is replayed by running the same test again.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>

#include "app/wiring.h"
#include "base/encoding.h"
#include "base/errors.h"
#include "base/lines.h"
#include "base/record.h"
#include "base/text_columns.h"
#include "checks/delivery_check.h"
#include "printing/bill.h"
#include "tests/support/case_file.h"
#include "tests/support/program_run.h"
#include "tests/support/test_context.h"
#include "transactions/scan.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;
using Campos = std::array<std::string, 8>;
using Linhas = std::vector<std::string>;

// What a request line may not hold: control characters other than the tab,
// DEL and the five bytes that Windows-1252 leaves undefined.
bool Proibido(unsigned char c) {
    return (c < 0x20 && c != '\t') || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

// `s` with each byte of `proibidos` replaced by `troca`.
std::string Sem(std::string s, const std::string& proibidos, char troca) {
    std::replace_if(s.begin(), s.end(), [&](char c) { return proibidos.find(c) != std::string::npos; }, troca);
    return s;
}

struct Gerador {
    explicit Gerador(std::uint64_t semente) : semente(semente), motor(semente) {}

    // A whole number in [de, ate].
    std::size_t entre(std::size_t de, std::size_t ate) { return std::uniform_int_distribution(de, ate)(motor); }
    bool chance(int porCento) { return entre(1, 100) <= static_cast<std::size_t>(porCento); }
    template <typename Opcoes>
    const auto& um(const Opcoes& opcoes) { return opcoes[entre(0, opcoes.size() - 1)]; }
    // What one of the generators makes, each as likely.
    std::string umDe(const std::vector<std::function<std::string()>>& geradores) { return um(geradores)(); }

    // A text that has broken record parsers and SQL statements elsewhere, in
    // Windows-1252 bytes (hostile.txt).
    const std::string& hostil() {
        static const Linhas kTextos = [] {
            Linhas textos;
            for (const std::string& l : LinhasDoTexto(Le(casos::DoProjeto("tests/fuzz/hostile.txt"))))
                if (l.empty() || l[0] != '#') textos.push_back(casos::Desescapa(l));
            return textos.size() >= 50 ? textos : throw std::runtime_error("tests/fuzz/hostile.txt not read");
        }();
        return um(kTextos);
    }
    // Any bytes at all, NUL included; or biased towards what a record line is
    // made of: separators, apostrophes, spaces, digits, commas and points,
    // line ends and high bytes.
    std::string bytes(std::size_t n, bool deRegistro = false) {
        static const std::string kEspeciais = ";;;;''' ,.\r\n\t\\\"0123456789-+eE";
        std::string s(n, '\0');
        for (char& c : s) c = deRegistro && chance(40) ? um(kEspeciais) : static_cast<char>(entre(0, 255));
        return s;
    }
    std::string bytesDeRegistro(std::size_t n) { return bytes(n, true); }
    // Printable Windows-1252 bytes, valid in the handhelds' encoding.
    std::string textoCp1252(std::size_t n) {
        std::string s;
        while (s.size() < n)
            if (const auto c = static_cast<unsigned char>(entre(0x20, 0xFF)); !Proibido(c)) s += static_cast<char>(c);
        return s;
    }
    // A file's content: any bytes, record-like bytes or hostile texts up to
    // `curto` bytes, or a huge record-like file of `de` to `ate` bytes.
    std::string conteudo(std::size_t curto, std::size_t de, std::size_t ate, std::function<std::string()> hostil) {
        return umDe({[&] { return bytes(entre(0, curto)); }, [&] { return bytesDeRegistro(entre(0, curto)); }, hostil,
                     [&] { return bytesDeRegistro(entre(de, ate)); }});
    }
    // Runs `caso` `n` times, each traced with the seed and iteration, up to the first failure.
    void repete(std::size_t n, const std::function<void(std::size_t)>& caso) {
        for (std::size_t it = 0; it < n && !::testing::Test::HasFailure(); ++it) {
            SCOPED_TRACE("seed " + std::to_string(semente) + ", iteration " + std::to_string(it));
            caso(it);
        }
    }

    const std::uint64_t semente;
    std::mt19937_64 motor;
};

// The fields of the line, and whether it split (false: refused with Erro).
// Any other exception, or a field that is not a piece of the line (the parser
// only ever cuts the line, it never makes text up), fails the test.
std::pair<bool, Campos> Divide(const std::string& linha) {
    std::pair<bool, Campos> r{false, {}};
    try {
        ParseToArrayPvirg(linha, r.second);
        r.first = true;
    } catch (const Erro&) {  // refused
    } catch (const std::exception& e) { ADD_FAILURE() << "not an Erro: " << e.what(); }
    for (std::size_t i = 0; i < r.second.size(); ++i)
        EXPECT_NE(linha.find(r.second[i]), std::string::npos) << "field " << i << " is not part of the line";
    return r;
}

TEST(RegistroRuim, BytesAleatoriosDividemOuSaoRecusados) {
    Gerador g(20240305);
    g.repete(20000, [&](auto) { Divide(g.chance(50) ? g.bytes(g.entre(0, 64)) : g.bytesDeRegistro(g.entre(0, 200))); });
}

// Fields as a handheld writes them: plain text without ";" and apostrophes
// (the last one trimmed of spaces), or text without apostrophes enclosed in
// them (then ";" may stand inside). A ninth field is refused, with the eight
// before it filled.
TEST(RegistroRuim, LinhaBemFormadaDaOsCamposDeQueFoiFeita) {
    Gerador g(77);
    g.repete(5000, [&](auto) {
        const std::size_t n = g.entre(1, 12);
        std::string linha;
        Campos esperado{};
        for (std::size_t i = 0; i < n; ++i) {
            const bool ultimo = i + 1 == n, apostrofos = !ultimo && g.chance(35);
            const std::string texto =
                Sem(g.bytesDeRegistro(g.entre(0, g.chance(5) ? 400 : 12)), apostrofos ? "'\r" : ";'\r", 'p');
            linha += (i ? ";" : "") + (apostrofos ? "'" + texto + "'" : texto);
            if (i < esperado.size()) esperado[i] = ultimo ? Apara(texto) : texto;
        }
        EXPECT_EQ(Divide(linha), std::pair(n <= 8, esperado)) << linha;
    });
}

// Fields before the open one, then an apostrophe, a ";" and nothing that
// could close it.
TEST(RegistroRuim, ApostrofoSemFechamentoEhRecusado) {
    Gerador g(4242);
    g.repete(3000, [&](auto) {
        std::string linha;
        for (std::size_t i = g.entre(0, 6); i > 0; --i) linha += Sem(g.bytesDeRegistro(g.entre(0, 8)), ";'", 'z') + ";";
        linha += "'" + Sem(g.bytesDeRegistro(g.entre(0, 30)), "'", 'w') + ";";
        linha += Sem(g.bytesDeRegistro(g.entre(0, 30)), "'", 'w');
        EXPECT_FALSE(Divide(linha).first) << linha;
    });
}

TEST(RegistroRuim, LinhasEnormesEMuitosCampos) {
    constexpr std::size_t kMega = 1 << 20;
    Gerador g(1048576);
    std::string oito;  // seven huge fields and a huge last one
    for (int i = 0; i < 8; ++i) oito += (i ? ";" : "") + std::string(kMega / 8, static_cast<char>('A' + i));
    const std::string as(kMega, 'a'), pontosEVirgulas(kMega, ';');
    // The line, whether it splits (none: either way) and its first field (none: any).
    const std::vector<std::tuple<std::string, std::optional<bool>, std::optional<std::string>>> casos = {
        {as, true, as}, {pontosEVirgulas, false, {}}, {std::string(kMega, '\''), {}, {}},
        {std::string(kMega, ' '), true, ""}, {"'" + pontosEVirgulas, false, {}},
        {"'" + pontosEVirgulas + "'", true, pontosEVirgulas},
        {std::string(kMega, 'b') + ";'" + std::string(kMega, 'c') + ";" + std::string(kMega, 'd'), {}, {}},
        {g.bytes(kMega), {}, {}}, {g.bytesDeRegistro(kMega), {}, {}}, {oito, true, std::string(kMega / 8, 'A')}};
    for (std::size_t i = 0; i < casos.size(); ++i) {
        const auto& [linha, divide, primeiro] = casos[i];
        const auto [dividida, campos] = Divide(linha);
        if (divide) EXPECT_EQ(dividida, *divide) << i;
        if (primeiro) EXPECT_TRUE(campos[0] == *primeiro) << i;  // not printed: a megabyte
    }
    g.repete(200, [&](auto) {
        std::string linha;
        for (std::size_t i = 0, n = g.entre(9, 20000); i < n; ++i) linha += (i ? ";" : "") + std::to_string(i);
        EXPECT_EQ(Divide(linha), std::pair(false, Campos{"0", "1", "2", "3", "4", "5", "6", "7"}));
    });
}

// The request file's first line, up to the first CR, in UTF-8: one
// character per Windows-1252 byte, NUL included, read at the first attempt
// when the file holds something.
TEST(LeituraRuim, ArquivosAleatoriosDaoAPrimeiraLinhaEmUtf8) {
    PastaTemporaria pasta;
    ArquivosDisco disco;
    RelogioManual relogio;
    Gerador g(1252);
    g.repete(2000, [&](auto) {
        const std::string bytes = g.umDe(
            {[&] { return g.bytes(g.entre(1, 300)); }, [&] { return g.bytesDeRegistro(g.entre(1, 300)); },
             [&] { return std::string(g.entre(1, 20), '\r') + g.bytes(10); },
             [&] { return g.bytes(g.entre(1, 4)) + std::string(1, '\0') + g.bytes(g.entre(0, 4)); }});
        const std::string primeira = bytes.substr(0, bytes.find('\r'));
        const std::string linha = LeArquivo(disco, relogio, pasta.escreve("INCLUSAO1.txt", bytes));
        EXPECT_EQ(linha, DeCp1252(primeira));
        EXPECT_TRUE(EhUtf8Valido(linha) && Largura(linha) == primeira.size());
        if (primeira.find_first_of("\x81\x8D\x8F\x90\x9D") == std::string::npos) EXPECT_EQ(ParaCp1252(linha), primeira);
    });
    EXPECT_TRUE(relogio.esperas().empty());

    // A huge file without a line end.
    const std::string semCr = Sem(g.bytes(1 << 20), "\r", '\n');
    const std::string linha = LeArquivo(disco, relogio, pasta.escreve("INCLUSAO2.txt", semCr));
    EXPECT_TRUE(Largura(linha) == semCr.size() && EhUtf8Valido(linha));
    Divide(linha);
}

// A field as a handheld writes it: plain, or enclosed in apostrophes when
// the text holds an apostrophe or ";". A text cannot hold both, so ";"
// becomes "," when it also has an apostrophe.
std::string Escreve(std::string& texto) {
    if (texto.find('\'') != std::string::npos) return "'" + (texto = Sem(texto, ";", ',')) + "'";
    return texto.find(';') != std::string::npos ? "'" + texto + "'" : texto;
}

// Text for a field that should be stored as typed: hostile texts, random
// printable Windows-1252 text, or both, without CR (a CR ends the line and
// the rest of the file is not read).
std::string TextoLivre(Gerador& g) {
    return Sem(g.umDe({[&] { return g.hostil(); }, [&] { return g.textoCp1252(g.entre(0, 40)); },
                       [&] { return g.hostil() + g.textoCp1252(g.entre(0, 10)) + g.hostil(); },
                       [&] { return g.textoCp1252(g.chance(50) ? 255 : 256); },
                       [&] { return g.chance(50) ? "" : g.textoCp1252(g.entre(55, 65)); }}),
               "\r", '\n');
}

// Whole requests through the folder scan, with every real procedure wired:
// each request file must be gone after the scan, no scan may end on an
// exception, and every table must still exist at the end.
class VarreduraRuim : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        std::ifstream sql(casos::DoProjeto("tests/fuzz/restaurant.sql"));
        for (std::string comando; std::getline(sql, comando, ';');)
            if (comando.find_first_not_of(" \n") != std::string::npos) t.executa(comando);
        t.armazem.grava("Varelo", "Config", "ImpCupom", "bar");
        t.relogio.define({2024, 3, 5, 9, 5, 7});
        // Every real procedure; the bill is wired here as the program's window does.
        LigaProcedimentos(t.ctx, avisos);
        t.ctx.procs.FechaConta = [this](auto... args) { return FechaConta(t.ctx, args...); };
        tabelas = Tabelas();
        ASSERT_GE(tabelas.size(), 20u);
        ASSERT_EQ(Numero("Select count(*) as n from ItemComanda"), 2);
    }
    void TearDown() override { EXPECT_EQ(Tabelas(), tabelas) << "a table was dropped or created"; }

    Linhas Tabelas() {
        return t.consulta("Select table_name as t from information_schema.tables"
                          " where table_schema = database() order by 1", "t");
    }
    long Numero(const std::string& sql) {
        const Linhas l = t.consulta(sql, "n");
        return l.empty() || l[0] == "NULL" ? 0 : std::stol(l[0]);
    }
    // The row counts a refused request must leave as they were.
    std::map<std::string, long> Contagens() {
        std::map<std::string, long> c{{"seq", Numero("Select max(seqcomanda) as n from sequencias")}};
        for (const std::string de : {"ItemComanda", "Comanda", "Logs", "sequencias", "LogImp"})
            c[de] = Numero("Select count(*) as n from " + de);
        return c;
    }
    // How many documents a printer received (read by name only: some are huge).
    std::size_t Quantos(const std::string& impressora) {
        return Documentos(t.pasta.arquivo("impressoras/" + impressora)).size();
    }
    std::size_t TotalDocumentos() { return Quantos("default") + Quantos("cozinha") + Quantos("bar"); }

    // Empties the monitored folder, drops the request file in raw bytes and
    // scans until it is handled: a request without its line end waits five
    // seconds, and one the server rejects is moved aside on the third scan.
    // Returns what a failure should show.
    std::string Varre(const std::string& nome, const std::string& bytes) {
        for (const auto& e : fs::directory_iterator(t.pastaComandas())) fs::remove_all(e.path());
        novosLogs = " from Logs where Tipo = 'OPERACAO' and idlog > " +
                    std::to_string(Numero("Select max(idlog) as n from Logs"));
        novosItens = " from ItemComanda where idlanc > " +
                     std::to_string(Numero("Select max(idlanc) as n from ItemComanda"));
        t.arquivos.grava(t.comanda(nome), bytes);
        std::string erro;
        for (int varredura = 0; varredura < 5 && fs::exists(t.comanda(nome)) && erro.empty(); ++varredura) {
            try { VarreDirs(t.ctx); }
            catch (const std::exception& e) { erro = std::string("the scan ended on ") + e.what() + "\n"; }
            if (varredura == 0) t.relogio.avanca(std::chrono::seconds(5));
        }
        pasta = t.arquivos.disco.lista(t.pastaComandas());
        std::string contexto = "request " + nome + ": " + bytes + "\nfolder:";
        for (const auto& n : pasta) contexto += " " + n;
        contexto += "\nevents:\n";
        for (const auto& l : t.novosEventos()) contexto += "  " + l + "\n";
        EXPECT_TRUE(erro.empty()) << erro << contexto;
        EXPECT_FALSE(fs::exists(t.comanda(nome))) << "request file left behind\n" << contexto;
        return contexto;
    }

    // Scans one INCLUSAO and checks what any must show: exactly one reply,
    // okComanda named after the comanda of the one row written, or erro<n>
    // with every count as it was. Returns whether it was accepted.
    bool Inclusao(const std::string& comanda, const std::string& linha) {
        const auto antes = Contagens();
        contexto = Varre("INCLUSAO" + comanda + ".txt", linha);
        SCOPED_TRACE(contexto);
        Linhas respostas;
        for (const auto& n : pasta)
            if (n.starts_with("okComanda") || n.starts_with("erro")) respostas.push_back(n);
        EXPECT_EQ(respostas.size(), 1u);
        if (respostas.size() != 1 || respostas[0] == "erro" + comanda + ".txt") {
            EXPECT_EQ(Contagens(), antes) << "a refused request wrote rows";
            return false;
        }
        EXPECT_EQ(Contagens().at("ItemComanda"), antes.at("ItemComanda") + 1);
        EXPECT_EQ(t.consulta("Select concat('okComanda', Comanda, '.txt') as r" + novosItens, "r"), respostas);
        return true;
    }

    ContextoTeste t;
    AvisosDelivery avisos;
    Linhas tabelas, pasta;  // pasta: the monitored folder's files after the last scan
    std::string novosLogs, novosItens;  // "from" clauses: the rows the last scan added (Logs: OPERACAO ones)
    std::string contexto;                // what a failure of the last INCLUSAO should show
};

// Requests whose number fields are valid and whose text fields are hostile:
// accepted exactly when the texts fit their columns and are text, and then
// stored literally.
TEST_F(VarreduraRuim, InclusaoDigitadaGuardaOTextoComoFoiEnviado) {
    // Product codes and how the Logs rows name them.
    const std::vector<std::pair<std::string, std::string>> produtos = {
        {"15", "Feijoada Ção"}, {"40", "Bolo Cenoura"}, {"50", "Avulso"}, {"60", "Pão d'Alho"}};
    Gerador g(5001);
    std::size_t aceitos = 0, recusados = 0;
    g.repete(250, [&](auto) {
        const auto& [codigo, descricao2] = g.um(produtos);
        const std::string comanda = std::to_string(g.entre(1, 999));
        std::string obs = TextoLivre(g), atendente = TextoLivre(g);
        const std::string quantidade = codigo == "15" && g.chance(30) ? "Meia" : g.um(Linhas{"1", "2", "0,5", "3"});
        const std::string mesa = g.um(Linhas{"", "7", "12", "301"}), preco = g.um(Linhas{"0", "12.5", "-1", " 3.25 "});
        const std::string linha = codigo + ";" + quantidade + ";" + comanda + ";" + Escreve(obs) + ";" + mesa + ";" +
                                  Escreve(atendente) + ";x;" + preco;
        const std::string obsUtf8 = DeCp1252(obs), quem = atendente.empty() ? "Palm" : DeCp1252(atendente);
        const bool cabe = std::none_of(linha.begin(), linha.end(), [](unsigned char c) { return Proibido(c); }) &&
                          linha.size() <= 1000 && Largura(obsUtf8) <= 255 && Largura(quem) <= 60;
        const bool aceito = Inclusao(comanda, linha);
        SCOPED_TRACE(contexto);
        EXPECT_EQ(aceito, cabe);
        if (!aceito || !cabe) return void(++recusados);
        ++aceitos;
        EXPECT_EQ(t.consulta("Select concat_ws('|', Obs, Lancado, Comanda, idProduto) as r" + novosItens, "r"),
                  Linhas{obsUtf8 + "|" + quem + "|" + comanda + "|" + codigo});
        EXPECT_EQ(t.consulta("Select concat_ws('|', log, Usuario) as r" + novosLogs, "r"),
                  Linhas{"PALM Incluido item: " + descricao2 + "|" + quem});
        EXPECT_EQ(Numero("Select count(*) as n from Comanda where Comanda = " + comanda), 1);
    });
    // Both outcomes came often.
    EXPECT_TRUE(aceitos > 50 && recusados > 20) << aceitos << " accepted, " << recusados << " refused";
}

// Any field may be anything: hostile texts, random bytes, NUL, unclosed
// apostrophes, too many fields.
TEST_F(VarreduraRuim, InclusaoHostilEmTodosOsCampos) {
    Gerador g(6002);
    const Linhas validos[8] = {{"15", "40", "015", "60"}, {"1", "Meia", "2"}, {"5", "77"}, {"obs"},
                               {"7", ""},                 {"Ana"},           {"x"},       {"0", "4.5"}};
    std::size_t aceitos = 0;
    g.repete(300, [&](auto) {
        std::string linha;
        for (std::size_t i = 0, campos = g.chance(90) ? 8 : g.entre(1, 12); i < campos; ++i)
            linha += (i ? ";" : "") + g.umDe({[&] { return g.hostil(); },
                                              [&] { return g.bytesDeRegistro(g.entre(0, 12)); },
                                              [&] { return g.bytes(g.entre(0, 6)); },
                                              [&] { return g.um(validos[i % 8]); }});
        aceitos += Inclusao(std::to_string(g.entre(1, 999)), linha);
    });
    EXPECT_GT(aceitos, 0u);
}

// Bill requests with random content: the first line names who asked and is
// printed on the bill; the comanda is marked as closing.
TEST_F(VarreduraRuim, FechaContaComConteudoAleatorio) {
    Gerador g(8004);
    g.repete(120, [&](auto) {
        const std::string conteudo = g.conteudo(200, 100000, 300000, [&] { return g.hostil(); });
        const bool existente = g.chance(70);
        const std::string comanda = existente ? "42" : std::to_string(g.entre(43, 30000));
        t.executa("Update Comanda set Status = 0");
        const std::size_t contas = t.documentos("bar").size();
        SCOPED_TRACE(Varre("FECHACONTA" + comanda + ".txt", conteudo));
        EXPECT_EQ(t.consulta("Select log as r" + novosLogs, "r"), Linhas{"PALM Fecha Conta " + comanda});
        if (!existente) return;
        EXPECT_EQ(t.consulta("Select Status from Comanda where Comanda = 42", "Status"), Linhas{"1"});
        const Linhas docs = t.documentos("bar");
        ASSERT_EQ(docs.size(), contas + 1);
        const std::string quem = DeCp1252(conteudo.substr(0, conteudo.find('\r')));
        if (!quem.empty()) EXPECT_NE(docs.back().find("Garcon   : " + quem + "\n"), std::string::npos);
    });
}

// Print files with random content: the first line names the printer, the
// others are printed as they stand; the file goes whatever it holds. At most
// one document, none for a file of ten bytes or less, and a printer named
// exactly gets it.
TEST_F(VarreduraRuim, ImpressaoComConteudoAleatorio) {
    Gerador g(9005);
    const Linhas impressoras = {"cozinha", "bar", "default", "inexistente", "", "cozinha\r", "COZINHA"};
    g.repete(150, [&](std::size_t it) {
        const std::string corpo = g.conteudo(300, 100000, 400000, [&] { return g.hostil() + "\r\n" + g.hostil(); });
        const bool comImpressora = g.chance(70);
        const std::string impressora = g.um(impressoras), conteudo = comImpressora ? impressora + "\n" + corpo : corpo;
        const std::size_t antes = TotalDocumentos(), naCozinha = Quantos("cozinha");
        SCOPED_TRACE(Varre("IMP" + std::to_string(it) + ".txt", conteudo));
        EXPECT_LE(TotalDocumentos(), antes + (conteudo.size() > 10 ? 1 : 0));
        if (comImpressora && impressora == "cozinha" && conteudo.size() > 10 &&
            corpo.find_first_not_of("\r\n") != std::string::npos)
            EXPECT_EQ(Quantos("cozinha"), naCozinha + 1);
    });
}

}  // namespace
}  // namespace varelo
