// Runs every case file under tests/cases as a test of its own, against the
// private server, with the program's procedures wired as the program wires
// them. VARELO_ATUALIZA_ESPERADOS=1 writes the golden files from what came
// out (read the diff before committing it).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <type_traits>
#include <utility>

#include "app/monitor.h"
#include "app/wiring.h"
#include "base/encoding.h"
#include "base/errors.h"
#include "base/money.h"
#include "base/posix_platform.h"
#include "base/regional.h"
#include "checks/auto_receipt.h"
#include "checks/delivery_check.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "core/replies.h"
#include "printing/labels.h"
#include "tests/support/case_file.h"
#include "tests/support/delegating_printer.h"
#include "tests/support/program_run.h"
#include "tests/support/test_context.h"
#include "transactions/scan.h"

namespace varelo::casos {
namespace {

namespace fs = std::filesystem;

std::string Raiz() { return DoProjeto("tests/cases"); }

std::string Junta(const std::vector<std::string>& linhas) {
    std::string texto;
    for (const std::string& l : linhas) texto += l + "\n";
    return texto;
}

// The printing system of a case: the spool folders, refusing the documents
// of the printers it is told to refuse, as a stopped queue would, and
// failing on the line that `quebra` names for a printer, as a printer gone
// offline mid-page would. A refusal is the last error until the document
// is discarded.
class Impressao final : public ImpressaoDelegada {
public:
    using ImpressaoDelegada::ImpressaoDelegada;
    std::set<std::string> recusa;
    std::map<std::string, std::string> quebra;  // printer: the start of the line that fails

    void imprime(const std::string& texto) override {
        const auto q = quebra.find(impressoraAtual());
        if (q != quebra.end() && texto.rfind(q->second, 0) == 0) throw Erro("Impressora desligada");
        if (recusa.count(impressoraAtual())) recusado_ = true;
        else real_.imprime(texto);
    }
    bool terminaDocumento() override { return !recusado_ && real_.terminaDocumento(); }
    void descartaDocumento() override {
        recusado_ = false;
        real_.descartaDocumento();
    }
    std::string ultimoErro() const override { return recusado_ ? "fila parada" : real_.ultimoErro(); }

private:
    bool recusado_ = false;
};

class Caso : public ::testing::Test {
public:
    explicit Caso(fs::path arquivo) : arquivo_(std::move(arquivo)) {}

    void TestBody() override {
        ContextoTeste::LimpaBanco();
        ctx_.pastaPrograma = t_.ctx.pastaPrograma;
        ctx_.cfg = t_.ctx.cfg;
        LigaProcedimentos(ctx_, avisos_);
        t_.banco.observaSql([this](const std::string& sql) { sqls_.push_back(sql); });
        monitor_.encerra = [this](int saida) { saida_ = saida; };
        t_.banco.defineGancho([this](OperacaoBanco operacao, const std::string& sql) {
            if (operacao == OperacaoBanco::Comando && !antesDe_.bloco.empty() && sql.rfind(antesDe_.resto, 0) == 0)
                Sql(std::exchange(antesDe_, {}));
            if (operacao == OperacaoBanco::Comando && servidorFora_) throw ErroBanco(2013, "Lost connection", "08S01");
            if (operacao != OperacaoBanco::Confirmacao || !perdeConexao_) return;
            perdeConexao_ = false;
            throw ErroBanco(2013, "Lost connection", "08S01");
        });
        t_.relogio.aoEsperar([this](std::size_t) {
            if (!aoEsperar_.bloco.empty()) Sql(std::exchange(aoEsperar_, {}));
            if (!registraEsperas_) return;
            std::string linha = "[wait " + std::to_string(t_.relogio.esperas().back().count()) + ":";
            for (const std::string& nome : NomesDaPasta()) linha += " " + nome;
            t_.eventos.AdicionaEvento(linha + "]");
        });
        for (const Diretiva& d : LeCaso(arquivo_.string())) {
            SCOPED_TRACE(arquivo_.filename().string() + ":" + std::to_string(d.linha) + ": " + d.nome + " " + d.resto);
            if (excecao_ && !(d.nome == "expect" && Arg(d, 0) == "result")) {
                excecao_ = false;
                ADD_FAILURE() << "unexpected: the last action " << resultado_;
            }
            Executa(d);
            if (HasFatalFailure() || IsSkipped()) return;
        }
        EXPECT_FALSE(excecao_) << "unexpected: the last action " << resultado_;
    }

private:
    std::string Arg(const Diretiva& d, std::size_t i) const { return i < d.args.size() ? d.args[i] : ""; }
    std::int32_t Numero(const Diretiva& d, std::size_t i) const { return std::stoi(Arg(d, i)); }

    void Executa(const Diretiva& d) {
        if (d.nome == "sql") return Sql(d);
        if (d.nome == "set") return Ajuste(Arg(d, 0), Desescapa(d.resto.substr(d.resto.find(' ') + 1)));
        if (d.nome == "store") return t_.armazem.grava("Varelo", "Config", Arg(d, 0), d.resto.substr(d.resto.find(' ') + 1));
        if (d.nome == "clock") return Relogio(d.resto);
        if (d.nome == "file") return Arquivo(t_.pastaComandas(), d, true);
        if (d.nome == "home-file") return Arquivo(t_.pasta.caminho(), d, false);
        if (d.nome == "home-dir") { fs::create_directories(t_.pasta.arquivo(Arg(d, 0))); return; }
        if (d.nome == "home-remove") { fs::remove_all(t_.pasta.arquivo(Arg(d, 0))); return; }
        if (d.nome == "refuse") { impressao_.recusa.insert(Arg(d, 0)); return; }
        if (d.nome == "break") {
            impressao_.quebra[Arg(d, 0)] = Desescapa(d.resto.substr(d.resto.find(' ') + 1));
            return;
        }
        if (d.nome == "accept") {
            impressao_.recusa.erase(Arg(d, 0));
            impressao_.quebra.erase(Arg(d, 0));
            return;
        }
        if (d.nome == "on-wait") { aoEsperar_ = d; return; }
        if (d.nome == "on-statement") { antesDe_ = d; return; }
        if (d.nome == "session") {  // not the program's own statements
            const std::size_t enviados = sqls_.size();
            Sql(d, t_.banco);
            sqls_.resize(enviados);
            return;
        }
        if (d.nome == "fail") return Substitui(Arg(d, 0), true, false);
        if (d.nome == "processes") { t_.processos.lista = d.args; return; }
        if (d.nome == "chmod") {
            fs::permissions(t_.pasta.arquivo(Arg(d, 1)), fs::perms(std::stoi(Arg(d, 0), nullptr, 8)));
            return;
        }
        if (d.nome == "server") { servidorFora_ = Arg(d, 0) == "down"; return; }
        if (d.nome == "timer") { Arg(d, 0) == "on" ? t_.timer1.liga() : t_.timer1.desliga(); return; }
        if (d.nome == "real-commands") { t_.executor.real = &executorReal_; return; }
        if (d.nome == "link") { fs::create_symlink(t_.pasta.arquivo(Arg(d, 0)), t_.pasta.arquivo(Arg(d, 1))); return; }
        if (d.nome == "chown") {
            if (::geteuid() != 0) GTEST_SKIP() << "giving a file away needs root";
            ASSERT_EQ(::chown(t_.pasta.arquivo(Arg(d, 1)).c_str(), std::stoi(Arg(d, 0)), std::stoi(Arg(d, 0))), 0);
            return;
        }
        if (d.nome == "path") {
            std::string path = d.resto;
            for (std::size_t p; (p = path.find("{pasta}")) != std::string::npos;) path.replace(p, 7, t_.pasta.caminho());
            path.replace(path.find("$PATH"), 5, pathOriginal_);
            ::setenv("PATH", path.c_str(), 1);
            return;
        }
        if (d.nome == "fail-deletes") { t_.arquivos.falhasApaga = Numero(d, 0); return; }
        if (d.nome == "record") return Substitui(Arg(d, 0), false, Arg(d, 1) == "refused");
        if (d.nome == "log-waits") { registraEsperas_ = true; return; }
        if (d.nome == "lose-connection") { perdeConexao_ = true; return; }
        if (d.nome == "current") {
            ctx_.varredura.ArqAtual = t_.pastaComandas() + "/" + Arg(d, 0);
            ctx_.varredura.ComandaAtual = static_cast<std::int16_t>(Numero(d, 1));
            return;
        }
        if (d.nome == "do") return Faz(d);
        if (d.nome == "expect") return Espera(d);
        FAIL() << "unknown directive";
    }

    void Sql(const Diretiva& d) { Sql(d, administrador_); }
    void Sql(const Diretiva& d, Banco& banco) {
        std::string atual;
        for (const std::string& linha : d.bloco) {
            atual += (atual.empty() ? "" : "\n") + linha;
            if (!atual.empty() && atual.back() == ';') {
                atual.pop_back();
                banco.AbreBanco(atual);
                banco.FechaBanco();
                atual.clear();
            }
        }
        ASSERT_TRUE(atual.empty()) << "a statement without its ';': " << atual;
    }

    // A setting read and written as text: texts between quotes, a missing
    // optional text "none".
    struct Campo {
        std::function<std::string()> le;
        std::function<void(const std::string&)> grava;
    };
    template <typename T>
    static Campo CampoDe(T& v) {
        if constexpr (std::is_same_v<T, std::string>)
            return {[&v] { return "'" + v + "'"; }, [&v](const std::string& t) { v = t; }};
        else if constexpr (std::is_same_v<T, std::optional<std::string>>)
            return {[&v] { return v ? "'" + *v + "'" : std::string("none"); },
                    [&v](const std::string& t) { v = t == "none" ? std::nullopt : std::optional(t); }};
        else if constexpr (std::is_same_v<T, Dinheiro>)
            return {[&v] { return TextoPadrao(v); }, [&v](const std::string& t) { v = LeDinheiro(t); }};
        else
            return {[&v] { return std::to_string(v); }, [&v](const std::string& t) { v = static_cast<T>(std::stoi(t)); }};
    }
    std::vector<std::pair<std::string, Campo>> Ajustes() {
        Configuracao& c = ctx_.cfg;
        return {{"txtPasta", CampoDe(c.txtPasta)}, {"txtImpressora", CampoDe(c.txtImpressora)},
                {"IPServidor", CampoDe(c.IPServidor)}, {"Driver", CampoDe(c.Driver)},
                {"Usuario", CampoDe(c.credenciais.usuario)}, {"Senha", CampoDe(c.credenciais.senha)},
                {"Site", CampoDe(c.Site)}, {"LinhaFim", CampoDe(c.LinhaFim)},
                {"ResumoContaPalm", CampoDe(c.ResumoContaPalm)}, {"FonteCupomCozinha", CampoDe(c.FonteCupomCozinha)},
                {"TamFonteCupomCozinha", CampoDe(c.TamFonteCupomCozinha)}, {"Nome", CampoDe(c.empresa.Nome)},
                {"Endereco", CampoDe(c.empresa.Endereco)}, {"Cidade", CampoDe(c.empresa.Cidade)},
                {"UF", CampoDe(c.empresa.UF)}, {"LinhasInicio", CampoDe(c.LinhasInicio)},
                {"GrupoCupom", CampoDe(c.GrupoCupom)}, {"AutoRecebFinal", CampoDe(c.AutoRecebFinal)},
                {"qtdMinimo", CampoDe(c.qtdMinimo)}, {"AutoImpressao", CampoDe(c.AutoImpressao)},
                {"ImpSeparado", CampoDe(c.ImpSeparado)}, {"EmHorario", CampoDe(c.EmHorario)}};
    }
    void Ajuste(const std::string& campo, const std::string& valor) {
        for (auto& [nome, c] : Ajustes())
            if (nome == campo) return c.grava(campo == "txtPasta" ? t_.pasta.arquivo(valor) : valor);
        FAIL() << "unknown setting " << campo;
    }

    void Relogio(const std::string& texto) {
        if (texto.rfind('+', 0) == 0) return t_.relogio.avanca(std::chrono::milliseconds(std::stoll(texto.substr(1))));
        DataHora d;
        ASSERT_EQ(std::sscanf(texto.c_str(), "%d/%d/%d %d:%d:%d", &d.dia, &d.mes, &d.ano, &d.hora, &d.minuto,
                              &d.segundo), 6);
        t_.relogio.define(d);
    }

    void Arquivo(const std::string& pasta, const Diretiva& d, bool cp1252) {
        const std::string nome = Arg(d, 0);
        const std::size_t inicio = d.resto.find(' ');
        std::string texto = inicio == std::string::npos ? "" : d.resto.substr(inicio + 1);
        for (std::size_t p; (p = texto.find("{pasta}")) != std::string::npos;) texto.replace(p, 7, t_.pasta.caminho());
        t_.arquivos.disco.grava(pasta + "/" + nome, Desescapa(cp1252 ? ParaCp1252(texto) : texto));
        fs::permissions(pasta + "/" + nome, fs::perms(0644));  // whatever the umask
    }

    // A procedure's arguments as "[NAME args]" shows them: empty ones and
    // the monitored folder itself left out, a path inside it by its name.
    template <typename... A>
    std::string Argumentos(const A&... a) {
        std::string texto;
        const std::string pasta = t_.pastaComandas() + "/";
        ((texto += [&](const auto& v) -> std::string {
              if constexpr (std::is_arithmetic_v<std::decay_t<decltype(v)>>) return " " + std::to_string(v);
              else if (v.empty() || v + "/" == pasta) return "";
              else return " " + (v.rfind(pasta, 0) == 0 ? v.substr(pasta.size()) : std::string(v));
          }(a)), ...);
        return texto;
    }

    // The procedure only logs "[NAME args]"; one that prints reports its
    // document printed, or refused.
    template <typename R, typename... A>
    void Grava(std::function<R(A...)>& f, const std::string& nome, bool recusa) {
        f = [this, nome, recusa](A... a) -> R {
            t_.eventos.AdicionaEvento("[" + nome + Argumentos(a...) + "]");
            if constexpr (std::is_same_v<R, bool>) return !recusa;
            else if constexpr (std::is_same_v<R, ResultadoConta>)
                return recusa ? ResultadoConta::Recusada : ResultadoConta::Impressa;
        };
    }

    // The procedure's next call logs "[NAME args falhou]" and fails with an
    // error; the calls after it are its own again.
    template <typename R, typename... A>
    void UmaFalha(std::function<R(A...)>& f, const std::string& nome) {
        f = [this, nome, antes = f, usada = false](A... a) mutable -> R {
            if (std::exchange(usada, true)) return antes(a...);
            t_.eventos.AdicionaEvento("[" + nome + Argumentos(a...) + " falhou]");
            throw Erro(nome + " falhou");
        };
    }

    // `record NAME [refused]` and `fail NAME`.
    void Substitui(const std::string& procedimento, bool falha, bool recusa) {
        bool achou = false;
        ctx_.procs.paraCada([&](const char* nome, auto& f) {
            if (nome != procedimento) return;
            achou = true;
            falha ? UmaFalha(f, nome) : Grava(f, nome, recusa);
        });
        EXPECT_TRUE(achou) << "no procedure " << procedimento;
    }

    void Faz(const Diretiva& d) {
        const std::string acao = Arg(d, 0);
        const std::string pasta = t_.pastaComandas();
        auto caminho = [&](std::size_t i) { return Arg(d, i).empty() ? std::string() : pasta + "/" + Arg(d, i); };
        ctx_.banco.novaUnidade();
        const std::map<std::string, std::function<std::string()>> acoes = {
            {"scan", [&] { VarreDirs(ctx_); return ""; }},
            {"load", [&] {
                const Monitor::Carga c = monitor_.Form_Load([this] { t_.eventos.AdicionaEvento("[carregado]"); });
                return std::string(c == Monitor::Carga::Pronto ? "Pronto" : c == Monitor::Carga::Terminal ? "Terminal"
                                   : c == Monitor::Carga::AguardandoBanco ? "AguardandoBanco" : "ServidorIncompativel");
            }},
            {"start", [&] { monitor_.tmrInicio_Timer(); return ""; }},
            {"tick", [&] { monitor_.Timer1_Timer(); return ""; }},
            {"resume", [&] { agendador_.executa(); return ""; }},
            {"iniciar", [&] { monitor_.cmdIniciar_Click(); return ""; }},
            {"LogImp", [&] { LogImp(ctx_, Arg(d, 1), Arg(d, 2), Desescapa(Arg(d, 3)), Numero(d, 4)); return ""; }},
            {"atualizar", [&] { monitor_.cmdAtualizar_Click(); return ""; }},
            {"consumos", [&] { monitor_.cmdConsumos_Click(); return ""; }},
            {"ImprimeCupom", [&] { return std::string(ctx_.procs.ImprimeCupom(Numero(d, 1)) ? "true" : "false"); }},
            {"ImprimeDelivery", [&] { return std::string(ctx_.procs.ImprimeDelivery(Numero(d, 1)) ? "true" : "false"); }},
            {"FechaConta", [&] {
                const ResultadoConta r = ctx_.procs.FechaConta(Numero(d, 1), caminho(2), Desescapa(Arg(d, 3)));
                return std::string(r == ResultadoConta::Impressa ? "Impressa"
                                   : r == ResultadoConta::Recusada ? "Recusada" : "NaoImpressa");
            }},
            {"ImprimeDiverso", [&] { return std::string(ctx_.procs.ImprimeDiverso(caminho(1)) ? "true" : "false"); }},
            {"InclueItem", [&] { ctx_.procs.InclueItem(caminho(1)); return ""; }},
            {"GeraEtiqueta", [&] { GeraEtiqueta(ctx_, Numero(d, 1), Arg(d, 2)); return ""; }},
            {"ExportaConsumos", [&] { ctx_.procs.ExportaConsumos(pasta, Desescapa(Arg(d, 1))); return ""; }},
            {"ExportaProdutos", [&] { ctx_.procs.ExportaProdutos(pasta); return ""; }},
            {"ExportaAtendentes", [&] { ctx_.procs.ExportaAtendentes(pasta); return ""; }},
            {"ExportaComandas", [&] { ctx_.procs.ExportaComandas(pasta); return ""; }},
            {"ExportaQtdes", [&] { ctx_.procs.ExportaQtdes(pasta); return ""; }},
            {"ExportaObs", [&] { ctx_.procs.ExportaObs(pasta); return ""; }},
            {"VerificaTablet", [&] { ctx_.procs.VerificaTablet(pasta); return ""; }},
            {"VerificaPendentes", [&] { ctx_.procs.VerificaPendentes(); return ""; }},
            {"VerificaDelivery", [&] { ctx_.procs.VerificaDelivery(pasta); return ""; }},
            {"VerificaRecebComanda", [&] { ctx_.procs.VerificaRecebComanda(); return ""; }},
            {"AutoRecebComanda", [&] { AutoRecebComanda(ctx_, Numero(d, 1)); return ""; }},
            {"ImprimePendentes", [&] { ctx_.procs.ImprimePendentes(); return ""; }},
            {"ApagaArquivo", [&] { ApagaArquivo(ctx_, caminho(1)); return ""; }},
            {"GravaOK", [&] { GravaOK(ctx_, Arg(d, 1)); return ""; }},
            {"GravaErro", [&] { GravaErro(ctx_, Arg(d, 1)); return ""; }},
        };
        const auto a = acoes.find(acao);
        ASSERT_NE(a, acoes.end()) << "unknown action " << acao;
        if (acao != "scan" && acao != "load" && acao != "start" && acao != "tick" && acao != "atualizar" &&
            acao != "consumos" && acao != "resume" && acao != "iniciar" && ctx_.varredura.PastaMonitor.empty())
            ctx_.varredura.PastaMonitor = pasta;
        try {
            resultado_ = a->second();
        } catch (const std::exception& e) {
            // As the monitor does: the work in progress is abandoned.
            ctx_.banco.abandona();
            resultado_ = "throws " + Normaliza(e.what());
            excecao_ = true;
        }
    }

    // What a printer received since it was last looked at.
    std::vector<fs::path> NovosDocumentos(const std::string& impressora) {
        const fs::path pasta = t_.pasta.arquivo("impressoras/" + impressora);
        const std::vector<fs::path> todos = fs::is_directory(pasta) ? Documentos(pasta) : std::vector<fs::path>{};
        std::size_t& vistos = documentosVistos_[impressora];
        std::vector<fs::path> novos(todos.begin() + static_cast<long>(std::min(vistos, todos.size())), todos.end());
        vistos = todos.size();
        return novos;
    }

    // Golden files sit beside the case: CASE.SUFFIX.
    void ComparaDourado(const std::string& sufixo, const std::string& obtido) {
        const fs::path dourado = arquivo_.parent_path() / (arquivo_.stem().string() + "." + sufixo);
        if (std::getenv("VARELO_ATUALIZA_ESPERADOS") && (!fs::exists(dourado) || Le(dourado) != obtido)) {
            std::ofstream(dourado, std::ios::binary) << obtido;
            return;
        }
        ASSERT_TRUE(fs::exists(dourado)) << "missing golden file " << dourado;
        EXPECT_EQ(Le(dourado), obtido) << "golden file " << dourado;
    }

    // An expectation written as the directive's block. In the update mode a
    // block that differs is rewritten in the case file (later blocks of the
    // same file first, so that line numbers hold).
    void ComparaBloco(const Diretiva& d, const std::vector<std::string>& obtido) {
        const std::vector<std::string> esperado = Repeticoes(d.bloco);
        if (std::getenv("VARELO_ATUALIZA_ESPERADOS")) {
            if (obtido != esperado) reescritas_.push_back({d.origem, d.linha, obtido});
            return;
        }
        EXPECT_EQ(Junta(obtido), Junta(esperado));
    }

    // An expected line "(N times) LINE" stands for N such lines.
    static std::vector<std::string> Repeticoes(const std::vector<std::string>& linhas) {
        static const std::regex vezes(R"(\((\d+) times\) (.*))");
        std::vector<std::string> saida;
        std::smatch m;
        for (const std::string& l : linhas)
            if (std::regex_match(l, m, vezes)) saida.insert(saida.end(), std::stoul(m[1]), m[2]);
            else saida.push_back(l);
        return saida;
    }

    void TearDown() override {
        ::setenv("PATH", pathOriginal_.c_str(), 1);
        std::sort(reescritas_.begin(), reescritas_.end(),
                  [](const Reescrita& a, const Reescrita& b) { return a.linha > b.linha; });
        for (const Reescrita& r : reescritas_) ReescreveBloco(r.origem, r.linha, r.bloco);
    }

    // A text as a case reads it: the scratch folder written {pasta}, the
    // driver's and server's versions before a server's message {servidor}.
    std::string Normaliza(std::string linha) const {
        static const std::regex versoes(R"(\[ma-[0-9.]+\]\[[^\]]*MariaDB[^\]]*\])");
        for (std::size_t p; (p = linha.find(t_.pasta.caminho())) != std::string::npos;)
            linha.replace(p, t_.pasta.caminho().size(), "{pasta}");
        return std::regex_replace(linha, versoes, "{servidor}");
    }

    // The lines added since the last look, as a case reads them.
    std::vector<std::string> Novos(std::vector<std::string> todas, std::size_t& vistas) {
        if (vistas > todas.size()) vistas = 0;  // the list emptied itself
        std::vector<std::string> novas(todas.begin() + static_cast<long>(vistas), todas.end());
        vistas = todas.size();
        for (std::string& linha : novas) linha = Normaliza(linha);
        return novas;
    }

    void Espera(const Diretiva& d) {
        const std::string tipo = Arg(d, 0);
        const std::string pasta = t_.pastaComandas();
        if (tipo == "events") {
            ComparaBloco(d, Novos(t_.eventos.linhas(), eventosVistos_));
        } else if (tipo == "printer") {
            std::string texto;
            for (const fs::path& doc : NovosDocumentos(Arg(d, 1))) texto += Le(doc) + "\f\n";
            ComparaDourado(Arg(d, 1) + ".txt", texto);
        } else if (tipo == "no" && Arg(d, 1) == "printer") {
            EXPECT_TRUE(NovosDocumentos(Arg(d, 2)).empty()) << "documents on " << Arg(d, 2);
        } else if (tipo == "font") {
            fs::path ultima;
            for (const auto& e : fs::directory_iterator(t_.pasta.arquivo("impressoras/" + Arg(d, 1))))
                if (e.path().extension() == ".font" && e.path() > ultima) ultima = e.path();
            std::string fonte = Le(ultima);
            for (char& c : fonte) if (c == '\n') c = '|';
            EXPECT_EQ(fonte, d.resto.substr(d.resto.find(' ', 5) + 1) + "|");
        } else if (tipo == "file") {
            const std::string nome = Arg(d, 1);
            ASSERT_TRUE(fs::exists(pasta + "/" + nome)) << nome << " is not in the monitored folder";
            const std::string conteudo = Le(pasta + "/" + nome);
            if (Arg(d, 2) == "@") return ComparaDourado(nome, conteudo);
            const std::size_t inicio = d.resto.find(' ', 5);
            EXPECT_EQ(DeCp1252(conteudo), Desescapa(inicio == std::string::npos ? "" : d.resto.substr(inicio + 1)));
        } else if (tipo == "no" && Arg(d, 1) == "file") {
            EXPECT_FALSE(fs::exists(pasta + "/" + Arg(d, 2))) << Arg(d, 2) << " is still there";
        } else if (tipo == "files") {
            ComparaBloco(d, NomesDaPasta());
        } else if (tipo == "rows") {
            ComparaBloco(d, Linhas(d.resto.substr(5)));
        } else if (tipo == "sql") {
            ComparaBloco(d, Novos(sqls_, sqlsVistos_));
        } else if (tipo == "label") {
            // The last label written to the port (ImpEtiqueta etiqueta.prn), raw.
            const std::string etiqueta = Le(t_.pasta.arquivo("etiqueta.prn"));
            if (d.args.size() < 2) return ComparaDourado("etiqueta.prn", etiqueta);
            EXPECT_EQ(etiqueta, Desescapa(d.resto.substr(d.resto.find(' ') + 1)));
        } else if (tipo == "no" && Arg(d, 1) == "label") {
            EXPECT_FALSE(fs::exists(t_.pasta.arquivo("etiqueta.prn"))) << "a label was written";
        } else if (tipo == "printed") {
            ComparaBloco(d, Novos(t_.impressos.linhas(), impressosVistos_));
        } else if (tipo == "result") {
            EXPECT_EQ(resultado_, d.resto.size() > 7 ? d.resto.substr(7) : "");
            excecao_ = false;
        } else if (tipo == "timer") {
            EXPECT_EQ(t_.timer1.ligado() ? "on" : "off", Arg(d, 1));
        } else if (tipo == "monitor") {
            std::string estado = monitor_.captionMonitor() + (monitor_.emPausa() ? ", paused" : "") +
                                 ", timer " + (t_.timer1.ligado() ? "on" : "off") + ", exports pending " +
                                 std::to_string(ctx_.exportacoesPendentes.size()) + ", scheduled";
            for (const auto& [espera, trabalho] : agendador_.pendentes) estado += " " + std::to_string(espera.count());
            ComparaBloco(d, {estado});
        } else if (tipo == "messages") {
            std::vector<std::string> caixas;
            for (const auto& [titulo, texto] : t_.mensagens.caixas) caixas.push_back(titulo + ": " + texto);
            ComparaBloco(d, caixas);
        } else if (tipo == "exit") {
            EXPECT_EQ(saida_ ? std::to_string(*saida_) : "none", Arg(d, 1));
        } else if (tipo == "settings") {
            std::vector<std::string> linhas;
            for (const auto& [nome, campo] : Ajustes())
                if (d.args.size() == 1 || std::find(d.args.begin() + 1, d.args.end(), nome) != d.args.end())
                    linhas.push_back(nome + "=" + Normaliza(campo.le()));
            ComparaBloco(d, linhas);
        } else if (tipo == "commands") {
            ComparaBloco(d, Novos(t_.executor.linhas, comandosVistos_));
        } else if (tipo == "waits") {
            std::vector<std::string> esperas;
            for (auto ms : t_.relogio.esperas()) esperas.push_back(std::to_string(ms.count()));
            ComparaBloco(d, Novos(esperas, esperasVistas_));
        } else {
            FAIL() << "unknown expectation " << tipo;
        }
    }

    // The monitored folder's names, sorted.
    std::vector<std::string> NomesDaPasta() {
        std::vector<std::string> nomes;
        for (const auto& e : fs::directory_iterator(t_.pastaComandas())) nomes.push_back(e.path().filename().string());
        std::sort(nomes.begin(), nomes.end());
        return nomes;
    }

    // The rows of a query, as the administrator sees them.
    std::vector<std::string> Linhas(const std::string& sql) {
        std::vector<std::string> linhas;
        administrador_.AbreBanco(sql);
        Registros& rs = administrador_.rs();
        const std::vector<std::string> colunas = rs.colunas();
        for (; !rs.eof(); rs.proximo()) {
            std::string linha;
            for (std::size_t i = 0; i < colunas.size(); ++i)
                linha += (i ? "|" : "") + rs.campo(colunas[i]).value_or("NULL");
            linhas.push_back(linha);
        }
        administrador_.FechaBanco();
        return linhas;
    }

    fs::path arquivo_;
    ContextoTeste t_;
    ListaEventos eventosAdministrador_;
    Banco administrador_{eventosAdministrador_, [] { return std::string("MariaDB Unicode"); },
                         [] { return ContextoTeste::IpServidorTeste(); }};
    Impressao impressao_{t_.impressao};
    Contexto ctx_{t_.relogio, t_.arquivos, t_.armazem, t_.eventos,   t_.impressos, t_.banco,
                  t_.mensagens, t_.timer1, t_.processos, t_.executor, impressao_};
    AvisosDelivery avisos_;
    RelogioSistema relogioReal_;
    ExecutorPosix executorReal_{t_.eventos, relogioReal_};
    const std::string pathOriginal_ = std::getenv("PATH");
    AgendadorManual agendador_;
    Monitor monitor_{ctx_, agendador_};
    std::vector<std::string> sqls_;
    std::string resultado_;
    Diretiva aoEsperar_;    // statements to run at the clock's next wait
    Diretiva antesDe_;      // on-statement: statements to run before the program's next such statement
    std::optional<int> saida_;  // the status the monitor ended the program with
    std::map<std::string, std::size_t> documentosVistos_;
    struct Reescrita {
        std::string origem;
        int linha;
        std::vector<std::string> bloco;
    };
    std::vector<Reescrita> reescritas_;
    std::size_t eventosVistos_ = 0, sqlsVistos_ = 0, impressosVistos_ = 0, esperasVistas_ = 0, comandosVistos_ = 0;
    bool excecao_ = false;          // the last action threw: `expect result` must say so
    bool perdeConexao_ = false;     // lose-connection: the next commit
    bool registraEsperas_ = false;  // log-waits
    bool servidorFora_ = false;     // server down: every statement fails as a lost connection
};

// One test per case file, named after its folder and file.
const bool kRegistrados = [] {
    const fs::path raiz = Raiz();
    if (!fs::is_directory(raiz)) return false;
    std::vector<fs::path> casos;
    for (const auto& e : fs::recursive_directory_iterator(raiz))
        if (e.path().extension() == ".case") casos.push_back(e.path());
    std::sort(casos.begin(), casos.end());
    for (const fs::path& caso : casos) {
        std::string suite = fs::relative(caso.parent_path(), raiz).string();
        for (char& c : suite) if (c == '/') c = '_';
        ::testing::RegisterTest(("Caso_" + suite).c_str(), caso.stem().string().c_str(), nullptr, nullptr,
                                caso.string().c_str(), 1, [caso]() -> ::testing::Test* { return new Caso(caso); });
    }
    return true;
}();

}  // namespace
}  // namespace varelo::casos
