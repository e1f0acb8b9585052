// Whole requests through the folder scan against the private MariaDB server,
// with every real procedure wired: random and hostile INCLUSAO, FECHACONTA
// and IMP files. Each request file must be gone after the scan, the scan
// must not end on a database error, an INCLUSAO must either store its text
// exactly as typed or be answered with erro<n>.txt and leave no row behind,
// and every table must still exist at the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <fstream>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/wiring.h"
#include "base/encoding.h"
#include "base/text_columns.h"
#include "checks/delivery_check.h"
#include "printing/bill.h"
#include "tests/fuzz/bad_input.h"
#include "tests/support/case_file.h"
#include "tests/support/program_run.h"
#include "tests/support/test_context.h"
#include "transactions/scan.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;
using ruim::Gerador;
using ruim::Origem;
using Linhas = std::vector<std::string>;

// What the request line may not hold: control characters other than the
// tab, DEL and the five bytes that Windows-1252 leaves undefined.
bool TemByteProibido(const std::string& bytes) {
    for (unsigned char c : bytes)
        if ((c < 0x20 && c != '\t') || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F ||
            c == 0x90 || c == 0x9D)
            return true;
    return false;
}

// A field as a handheld writes it: plain, or enclosed in apostrophes when
// the text holds an apostrophe or ";". A text cannot hold both, so ";"
// becomes "," when it also has an apostrophe.
std::string Escreve(std::string& texto) {
    const bool apostrofo = texto.find('\'') != std::string::npos;
    if (apostrofo) std::replace(texto.begin(), texto.end(), ';', ',');
    if (apostrofo || texto.find(';') != std::string::npos) return "'" + texto + "'";
    return texto;
}

struct Produto {
    std::string codigo;
    std::string descricao2;  // what the Logs row names
};
const std::vector<Produto> kProdutos = {
    {"15", "Feijoada Ção"}, {"40", "Bolo Cenoura"}, {"50", "Avulso"}, {"60", "Pão d'Alho"}};

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
        t.ctx.procs.FechaConta = [this](std::int32_t comanda, const std::string& caminho, const std::string& marca) {
            return FechaConta(t.ctx, comanda, caminho, marca);
        };
        tabelas = Tabelas();
        ASSERT_GE(tabelas.size(), 20u);
        ASSERT_EQ(t.consulta("Select count(*) as n from ItemComanda", "n"), Linhas{"2"});
    }
    void TearDown() override { EXPECT_EQ(Tabelas(), tabelas) << "a table was dropped or created"; }

    Linhas Tabelas() {
        Linhas l = t.consulta("Select table_name as t from information_schema.tables where table_schema = database()", "t");
        std::sort(l.begin(), l.end());
        return l;
    }
    long Numero(const std::string& sql) {
        const Linhas l = t.consulta(sql, "n");
        return l.empty() || l[0] == "NULL" ? 0 : std::stol(l[0]);
    }
    // The row counts a refused request must leave as they were.
    std::map<std::string, long> Contagens() {
        std::map<std::string, long> c;
        for (const char* tabela : {"ItemComanda", "Comanda", "Logs", "sequencias", "LogImp"})
            c[tabela] = Numero(std::string("Select count(*) as n from ") + tabela);
        c["seq"] = Numero("Select max(seqcomanda) as n from sequencias");
        return c;
    }
    Linhas Pasta() {
        Linhas nomes;
        for (const auto& e : fs::directory_iterator(t.pastaComandas())) nomes.push_back(e.path().filename().string());
        std::sort(nomes.begin(), nomes.end());
        return nomes;
    }
    bool Existe(const std::string& nome) { return fs::exists(fs::path(t.pastaComandas()) / nome); }
    std::size_t Quantos(const std::string& impressora) {
        return Documentos(t.pasta.arquivo("impressoras/" + impressora)).size();
    }
    std::size_t TotalDocumentos() { return Quantos("default") + Quantos("cozinha") + Quantos("bar"); }

    // Empties the monitored folder, drops the request file in raw bytes and
    // scans until it is handled: a request without its line end waits five
    // seconds, and one the server rejects is moved aside on the third scan.
    // No scan may end on an exception. Returns what a failure should show.
    std::string Varre(const std::string& nome, const std::string& bytes, const std::string& origem) {
        for (const auto& e : fs::directory_iterator(t.pastaComandas())) fs::remove_all(e.path());
        t.arquivos.grava(t.comanda(nome), bytes);
        std::string erro;
        for (int varredura = 0; varredura < 5 && Existe(nome) && erro.empty(); ++varredura) {
            try {
                VarreDirs(t.ctx);
            } catch (const std::exception& e) {
                erro = std::string("the scan ended on ") + e.what() + "\n";
            }
            if (varredura == 0) t.relogio.avanca(std::chrono::seconds(5));
        }
        std::string contexto = origem + "\nrequest " + nome + ": " + bytes + "\nfolder:";
        for (const auto& n : Pasta()) contexto += " " + n;
        contexto += "\nevents:\n";
        for (const auto& l : t.novosEventos()) contexto += "  " + l + "\n";
        EXPECT_TRUE(erro.empty()) << erro << contexto;
        EXPECT_FALSE(Existe(nome)) << "request file left behind\n" << contexto;
        return contexto;
    }

    bool Inclusao(const std::string& comanda, const std::string& linha, const std::string& origem,
                  std::string& contexto, std::string& item);

    // Text for a field that should be stored as typed: hostile texts,
    // random printable Windows-1252 text, or both, without CR (a CR ends the
    // line and the rest of the file is not read).
    std::string TextoLivre(Gerador& g) {
        std::string s;
        switch (g.entre(0, 4)) {
            case 0: s = g.um(ruim::TextosHostis()); break;
            case 1: s = g.textoCp1252(g.entre(0, 40)); break;
            case 2: s = g.um(ruim::TextosHostis()) + g.textoCp1252(g.entre(0, 10)) + g.um(ruim::TextosHostis()); break;
            case 3: s = g.textoCp1252(g.chance(50) ? 255 : 256); break;
            default: s = g.chance(50) ? "" : g.textoCp1252(g.entre(55, 65)); break;
        }
        std::replace(s.begin(), s.end(), '\r', '\n');
        return s;
    }

    ContextoTeste t;
    AvisosDelivery avisos;
    Linhas tabelas;
};

// Scans one INCLUSAO and checks what any must show: exactly one reply,
// okComanda named after the comanda of the one row written, or erro<n>
// with every count as it was. Returns whether it was accepted; `item` is
// the condition that picks the row it wrote.
bool VarreduraRuim::Inclusao(const std::string& comanda, const std::string& linha, const std::string& origem,
                             std::string& contexto, std::string& item) {
    const auto antes = Contagens();
    item = " from ItemComanda where idlanc > " + std::to_string(Numero("Select max(idlanc) as n from ItemComanda"));
    contexto = Varre("INCLUSAO" + comanda + ".txt", linha, origem);
    Linhas respostas;
    for (const auto& n : Pasta())
        if (n.rfind("okComanda", 0) == 0 || n.rfind("erro", 0) == 0) respostas.push_back(n);
    EXPECT_EQ(respostas.size(), 1u) << contexto;
    if (respostas.size() != 1 || respostas[0] == "erro" + comanda + ".txt") {
        EXPECT_EQ(Contagens(), antes) << "a refused request wrote rows\n" << contexto;
        return false;
    }
    EXPECT_EQ(Contagens().at("ItemComanda"), antes.at("ItemComanda") + 1) << contexto;
    EXPECT_EQ(t.consulta("Select concat('okComanda', Comanda, '.txt') as r" + item, "r"), respostas) << contexto;
    return true;
}

// Requests whose number fields are valid and whose text fields are hostile:
// accepted exactly when the texts fit their columns and are text, and then
// stored literally.
TEST_F(VarreduraRuim, InclusaoDigitadaGuardaOTextoComoFoiEnviado) {
    Gerador g(5001);
    std::size_t aceitos = 0, recusados = 0;
    for (std::size_t it = 0; it < 250 && !HasFailure(); ++it) {
        const Produto& produto = g.um(kProdutos);
        const std::string comanda = std::to_string(g.entre(1, 999));
        std::string obs = TextoLivre(g), atendente = TextoLivre(g);
        const std::string quantidade =
            produto.codigo == "15" && g.chance(30) ? "Meia" : g.um(Linhas{"1", "2", "0,5", "3"});
        const std::string mesa = g.um(Linhas{"", "7", "12", "301"}), preco = g.um(Linhas{"0", "12.5", "-1", " 3.25 "});
        const std::string linha = produto.codigo + ";" + quantidade + ";" + comanda + ";" + Escreve(obs) + ";" +
                                  mesa + ";" + Escreve(atendente) + ";x;" + preco;
        const std::string obsUtf8 = DeCp1252(obs), quem = atendente.empty() ? "Palm" : DeCp1252(atendente);
        const bool cabe = !TemByteProibido(linha) && linha.size() <= 1000 && Largura(obsUtf8) <= 255 && Largura(quem) <= 60;
        const std::string log = " from Logs where Tipo = 'OPERACAO' and idlog > " +
                                std::to_string(Numero("Select max(idlog) as n from Logs"));
        std::string contexto, item;
        const bool aceito = Inclusao(comanda, linha, Origem(g, it), contexto, item);
        EXPECT_EQ(aceito, cabe) << contexto;
        if (!aceito || !cabe) {
            ++recusados;
            continue;
        }
        ++aceitos;
        EXPECT_EQ(t.consulta("Select concat_ws('|', Obs, Lancado, Comanda, idProduto) as r" + item, "r"),
                  Linhas{obsUtf8 + "|" + quem + "|" + comanda + "|" + produto.codigo}) << contexto;
        EXPECT_EQ(t.consulta("Select concat_ws('|', log, Usuario) as r" + log, "r"),
                  Linhas{"PALM Incluido item: " + produto.descricao2 + "|" + quem}) << contexto;
        EXPECT_EQ(Numero("Select count(*) as n from Comanda where Comanda = " + comanda), 1) << contexto;
    }
    // Both outcomes were exercised.
    EXPECT_GT(aceitos, 50u);
    EXPECT_GT(recusados, 20u);
}

// Any field may be anything: hostile texts, random bytes, NUL, unclosed
// apostrophes, too many fields.
TEST_F(VarreduraRuim, InclusaoHostilEmTodosOsCampos) {
    Gerador g(6002);
    const Linhas validos[8] = {{"15", "40", "015", "60"}, {"1", "Meia", "2"}, {"5", "77"}, {"obs"},
                               {"7", ""},                 {"Ana"},           {"x"},       {"0", "4.5"}};
    std::size_t aceitos = 0;
    for (std::size_t it = 0; it < 300 && !HasFailure(); ++it) {
        std::string linha, contexto, item;
        for (std::size_t i = 0, campos = g.chance(90) ? 8 : g.entre(1, 12); i < campos; ++i) {
            const std::size_t tipo = g.entre(0, 3);
            linha += (i ? ";" : "") + (tipo == 0   ? g.um(ruim::TextosHostis())
                                       : tipo == 1 ? g.bytesDeRegistro(g.entre(0, 12))
                                       : tipo == 2 ? g.bytes(g.entre(0, 6))
                                                   : g.um(validos[i % 8]));
        }
        aceitos += Inclusao(std::to_string(g.entre(1, 999)), linha, Origem(g, it), contexto, item);
    }
    EXPECT_GT(aceitos, 0u);
}

// File names of every kind followed by random bytes: the number text after
// the kind word is whatever the name holds.
TEST_F(VarreduraRuim, NomesDeArquivoAleatorios) {
    Gerador g(7003);
    const Linhas tipos = {"INCLUSAO", "inclusao", "EXCLUSAO", "PRINTM", "PRINTD", "FECHACONTA",
                          "FECHACOMANDA", "ATUALIZA", "ATUCOM", "IMP"};
    for (std::size_t it = 0; it < 150 && !HasFailure(); ++it) {
        std::string meio = g.chance(30) ? g.um(ruim::TextosHostis()) : g.bytesDeRegistro(g.entre(0, 12));
        std::replace(meio.begin(), meio.end(), '/', '_');
        std::replace(meio.begin(), meio.end(), '\0', '_');
        const std::string nome = g.um(tipos) + meio.substr(0, 200) + ".txt";
        Varre(nome, g.chance(50) ? "15;1;" + std::to_string(g.entre(1, 99)) + ";;;Ana;;0" : g.bytesDeRegistro(g.entre(0, 60)),
              Origem(g, it));
    }
}

// Bill requests with random content: the first line names who asked and is
// printed on the bill; the comanda is marked as closing.
TEST_F(VarreduraRuim, FechaContaComConteudoAleatorio) {
    Gerador g(8004);
    for (std::size_t it = 0; it < 120 && !HasFailure(); ++it) {
        const std::string conteudo = g.conteudo(200, 100000, 300000, [&] { return g.um(ruim::TextosHostis()); });
        const bool existente = g.chance(70);
        const std::string comanda = existente ? "42" : std::to_string(g.entre(43, 30000));
        t.executa("Update Comanda set Status = 0");
        const std::size_t contas = t.documentos("bar").size();
        const std::string log = "Select log from Logs where Tipo = 'OPERACAO' and idlog > " +
                                std::to_string(Numero("Select max(idlog) as n from Logs"));
        const std::string contexto = Varre("FECHACONTA" + comanda + ".txt", conteudo, Origem(g, it));
        EXPECT_EQ(t.consulta(log, "log"), Linhas{"PALM Fecha Conta " + comanda}) << contexto;
        if (!existente) continue;
        EXPECT_EQ(t.consulta("Select Status from Comanda where Comanda = 42", "Status"), Linhas{"1"}) << contexto;
        const Linhas docs = t.documentos("bar");
        ASSERT_EQ(docs.size(), contas + 1) << contexto;
        const std::string quem = DeCp1252(conteudo.substr(0, conteudo.find('\r')));
        if (!quem.empty()) EXPECT_NE(docs.back().find("Garcon   : " + quem + "\n"), std::string::npos) << contexto;
    }
}

// Print files with random content: the first line names the printer, the
// others are printed as they stand; the file goes whatever it holds. At most
// one document, none for a file of ten bytes or less, and a printer named
// exactly gets it.
TEST_F(VarreduraRuim, ImpressaoComConteudoAleatorio) {
    Gerador g(9005);
    const Linhas impressoras = {"cozinha", "bar", "default", "inexistente", "", "cozinha\r", "COZINHA"};
    for (std::size_t it = 0; it < 150 && !HasFailure(); ++it) {
        const std::string corpo = g.conteudo(
            300, 100000, 400000, [&] { return g.um(ruim::TextosHostis()) + "\r\n" + g.um(ruim::TextosHostis()); });
        const bool comImpressora = g.chance(70);
        const std::string impressora = g.um(impressoras);
        const std::string conteudo = comImpressora ? impressora + "\n" + corpo : corpo;
        const std::size_t antes = TotalDocumentos(), naCozinha = Quantos("cozinha");
        const std::string contexto = Varre("IMP" + std::to_string(it) + ".txt", conteudo, Origem(g, it));
        EXPECT_LE(TotalDocumentos(), antes + (conteudo.size() > 10 ? 1 : 0)) << contexto;
        if (comImpressora && impressora == "cozinha" && conteudo.size() > 10 &&
            corpo.find_first_not_of("\r\n") != std::string::npos)
            EXPECT_EQ(Quantos("cozinha"), naCozinha + 1) << contexto;
    }
}

}  // namespace
}  // namespace varelo
