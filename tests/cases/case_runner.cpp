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
#include <type_traits>

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

std::string Junta(const std::vector<std::string>& linhas) {
    std::string texto;
    for (const std::string& l : linhas) texto += l + "\n";
    return texto;
}

std::string Texto(bool b) { return b ? "true" : "false"; }

// The directive's line after its first `n` words, as written.
std::string Depois(const Diretiva& d, int n) {
    std::size_t p = 0;
    for (int i = 0; i < n; ++i) {
        if ((p = d.resto.find(' ', p)) == std::string::npos) return "";
        ++p;
    }
    return d.resto.substr(p);
}

bool AtualizaEsperados() { return std::getenv("VARELO_ATUALIZA_ESPERADOS") != nullptr; }

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
        // The procedure folders call each other only through Procedimentos: the
        // wiring fills every entry, and the list names every member (each a
        // std::function of one size).
        std::size_t entradas = 0;
        ctx_.procs.paraCada([&](const char* nome, const auto& f) {
            ++entradas;
            EXPECT_TRUE(f) << nome;
        });
        ASSERT_EQ(entradas * sizeof(std::function<void()>), sizeof(Procedimentos));
        t_.banco.observaSql([this](const std::string& sql) { sqls_.push_back(sql); });
        monitor_.encerra = [this](int saida) { saida_ = saida; };
        t_.banco.defineGancho([this](OperacaoBanco operacao, const std::string& sql) {
            if (operacao == OperacaoBanco::Comando && !antesDe_.bloco.empty() && sql.rfind(antesDe_.resto, 0) == 0)
                Sql(std::exchange(antesDe_, {}));
            const bool perdida = operacao == OperacaoBanco::Comando ? servidorFora_
                                 : operacao == OperacaoBanco::Confirmacao && std::exchange(perdeConexao_, false);
            if (perdida) throw ErroBanco(2013, "Lost connection", "08S01");
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
    // A path in the program folder, named by an argument.
    std::string Programa(const Diretiva& d, std::size_t i = 0) const { return t_.pasta.arquivo(Arg(d, i)); }

    void Executa(const Diretiva& d) {
        if (d.nome == "do") return Faz(d);
        if (d.nome == "expect") return Espera(d);
        const std::map<std::string, std::function<void()>> preparos = {
            {"sql", [&] { Sql(d); }},
            {"set", [&] { Ajuste(Arg(d, 0), Desescapa(Depois(d, 1))); }},
            {"store", [&] { t_.armazem.grava("Varelo", "Config", Arg(d, 0), Depois(d, 1)); }},
            {"clock", [&] { Relogio(d.resto); }},
            {"file", [&] { Arquivo(t_.pastaComandas(), d, true); }},
            {"home-file", [&] { Arquivo(t_.pasta.caminho(), d, false); }},
            {"home-dir", [&] { fs::create_directories(Programa(d)); }},
            {"home-remove", [&] { fs::remove_all(Programa(d)); }},
            {"refuse", [&] { impressao_.recusa.insert(Arg(d, 0)); }},
            {"break", [&] { impressao_.quebra[Arg(d, 0)] = Desescapa(Depois(d, 1)); }},
            {"accept", [&] {
                impressao_.recusa.erase(Arg(d, 0));
                impressao_.quebra.erase(Arg(d, 0));
            }},
            {"on-wait", [&] { aoEsperar_ = d; }},
            {"on-statement", [&] { antesDe_ = d; }},
            {"session", [&] {  // not the program's own statements; with the escapes of TEXT
                Diretiva texto = d;
                for (std::string& linha : texto.bloco) linha = Desescapa(linha);
                const std::size_t enviados = sqls_.size();
                Sql(texto, t_.banco);
                sqls_.resize(enviados);
            }},
            {"fail", [&] { Substitui(Arg(d, 0), true, false); }},
            {"record", [&] { Substitui(Arg(d, 0), false, Arg(d, 1) == "refused"); }},
            {"processes", [&] { t_.processos.lista = d.args; }},
            {"chmod", [&] { fs::permissions(Programa(d, 1), fs::perms(std::stoi(Arg(d, 0), nullptr, 8))); }},
            {"server", [&] { servidorFora_ = Arg(d, 0) == "down"; }},
            {"timer", [&] { Arg(d, 0) == "on" ? t_.timer1.liga() : t_.timer1.desliga(); }},
            {"real-commands", [&] { t_.executor.real = &executorReal_; }},
            {"link", [&] { fs::create_symlink(Programa(d), Programa(d, 1)); }},
            {"chown", [&] {
                if (::geteuid() != 0) GTEST_SKIP() << "giving a file away needs root";
                ASSERT_EQ(::chown(Programa(d, 1).c_str(), std::stoi(Arg(d, 0)), std::stoi(Arg(d, 0))), 0);
            }},
            {"path", [&] {
                const std::string path = Troca(Troca(d.resto, "{pasta}", t_.pasta.caminho()), "$PATH", pathOriginal_);
                ::setenv("PATH", path.c_str(), 1);
            }},
            {"fail-deletes", [&] { t_.arquivos.falhasApaga = Numero(d, 0); }},
            {"log-waits", [&] { registraEsperas_ = true; }},
            {"lose-connection", [&] { perdeConexao_ = true; }},
            {"current", [&] {
                ctx_.varredura.ArqAtual = t_.pastaComandas() + "/" + Arg(d, 0);
                ctx_.varredura.ComandaAtual = static_cast<std::int16_t>(Numero(d, 1));
            }},
        };
        const auto p = preparos.find(d.nome);
        ASSERT_NE(p, preparos.end()) << "unknown directive";
        p->second();
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
        const std::string caminho = pasta + "/" + Desescapa(Arg(d, 0));
        const std::string texto = Troca(Depois(d, 1), "{pasta}", t_.pasta.caminho());
        t_.arquivos.disco.grava(caminho, Desescapa(cp1252 ? ParaCp1252(texto) : texto));
        fs::permissions(caminho, fs::perms(0644));  // whatever the umask
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

    // The window's own actions, and the procedures: a number is the next
    // argument, a file the named one in the monitored folder (the folder
    // itself when none is named), a result true or false.
    void Faz(const Diretiva& d) {
        const std::string acao = Arg(d, 0);
        const std::string pasta = t_.pastaComandas();
        auto caminho = [&](std::size_t i) { return Arg(d, i).empty() ? std::string() : pasta + "/" + Arg(d, i); };
        auto arquivoOuPasta = [&] { return Arg(d, 1).empty() ? pasta : caminho(1); };
        ctx_.banco.novaUnidade();
        std::map<std::string, std::function<std::string()>> janela = {
            {"scan", [&] { VarreDirs(ctx_); return ""; }},
            {"load", [&] {
                const Monitor::Carga c = monitor_.Form_Load([this] { t_.eventos.AdicionaEvento("[carregado]"); });
                return std::string(c == Monitor::Carga::Pronto ? "Pronto" : c == Monitor::Carga::Terminal ? "Terminal"
                                   : c == Monitor::Carga::AguardandoBanco ? "AguardandoBanco" : "ServidorIncompativel");
            }},
            {"start", [&] { monitor_.tmrInicio_Timer(); return ""; }},
            {"tick", [&] { monitor_.Timer1_Timer(); return ""; }},
            {"arrival", [&] { monitor_.ArquivoChegou(); return ""; }},
            {"resume", [&] { agendador_.executa(); return ""; }},
            {"iniciar", [&] { monitor_.cmdIniciar_Click(); return ""; }},
            {"atualizar", [&] { monitor_.cmdAtualizar_Click(); return ""; }},
            {"consumos", [&] { monitor_.cmdConsumos_Click(); return ""; }},
        };
        std::map<std::string, std::function<std::string()>> procedimentos = {
            {"LogImp", [&] { LogImp(ctx_, Arg(d, 1), Arg(d, 2), Desescapa(Arg(d, 3)), Numero(d, 4)); return ""; }},
            {"FechaConta", [&] {
                const ResultadoConta r = ctx_.procs.FechaConta(Numero(d, 1), caminho(2), Desescapa(Arg(d, 3)));
                return std::string(r == ResultadoConta::Impressa ? "Impressa"
                                   : r == ResultadoConta::Recusada ? "Recusada" : "NaoImpressa");
            }},
            {"GeraEtiqueta", [&] { GeraEtiqueta(ctx_, Numero(d, 1), Arg(d, 2)); return ""; }},
            {"ExportaConsumos", [&] { ctx_.procs.ExportaConsumos(pasta, Desescapa(Arg(d, 1))); return ""; }},
            {"AutoRecebComanda", [&] { AutoRecebComanda(ctx_, Numero(d, 1)); return ""; }},
            {"ApagaArquivo", [&] { ApagaArquivo(ctx_, caminho(1)); return ""; }},
            {"GravaOK", [&] { GravaOK(ctx_, Arg(d, 1)); return ""; }},
            {"GravaErro", [&] { GravaErro(ctx_, Arg(d, 1)); return ""; }},
        };
        ctx_.procs.paraCada([&](const char* nome, auto& f) {
            using F = std::decay_t<decltype(f)>;
            std::function<std::string()> chamada;
            if constexpr (std::is_same_v<F, std::function<void()>>) chamada = [&f] { f(); return ""; };
            if constexpr (std::is_same_v<F, std::function<bool(std::int32_t)>>)
                chamada = [&] { return Texto(f(Numero(d, 1))); };
            if constexpr (std::is_same_v<F, std::function<void(const std::string&)>>)
                chamada = [&] { f(arquivoOuPasta()); return ""; };
            if constexpr (std::is_same_v<F, std::function<bool(const std::string&)>>)
                chamada = [&] { return Texto(f(arquivoOuPasta())); };
            if (chamada) procedimentos.emplace(nome, chamada);  // the ones above stay
        });
        const bool daJanela = janela.count(acao) > 0;
        auto& tabela = daJanela ? janela : procedimentos;
        const auto a = tabela.find(acao);
        ASSERT_NE(a, tabela.end()) << "unknown action " << acao;
        if (!daJanela && ctx_.varredura.PastaMonitor.empty()) ctx_.varredura.PastaMonitor = pasta;
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
        std::size_t& vistos = vistos_["printer " + impressora];
        std::vector<fs::path> novos(todos.begin() + static_cast<long>(std::min(vistos, todos.size())), todos.end());
        vistos = todos.size();
        return novos;
    }

    // Golden files sit beside the case: CASE.SUFFIX.
    void ComparaDourado(const std::string& sufixo, const std::string& obtido) {
        const fs::path dourado = arquivo_.parent_path() / (arquivo_.stem().string() + "." + sufixo);
        if (AtualizaEsperados() && (!fs::exists(dourado) || Le(dourado) != obtido)) {
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
        if (!AtualizaEsperados()) EXPECT_EQ(Junta(obtido), Junta(esperado));
        else if (obtido != esperado) reescritas_.push_back({d.origem, d.linha, obtido});
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
    std::string Normaliza(const std::string& linha) const {
        static const std::regex versoes(R"(\[ma-[0-9.]+\]\[[^\]]*MariaDB[^\]]*\])");
        return std::regex_replace(Troca(linha, t_.pasta.caminho(), "{pasta}"), versoes, "{servidor}");
    }

    // The lines added since the last look, as a case reads them.
    std::vector<std::string> Novos(const std::vector<std::string>& todas, std::size_t& vistas) {
        std::vector<std::string> novas = NovasLinhas(todas, vistas);
        for (std::string& linha : novas) linha = Normaliza(linha);
        return novas;
    }

    // The expectations written as a block: what came out, as its lines.
    std::vector<std::string> Bloco(const Diretiva& d) {
        const std::string tipo = Arg(d, 0);
        std::vector<std::string> linhas;
        if (tipo == "events") return Novos(t_.eventos.linhas(), vistos_[tipo]);
        if (tipo == "sql") return Novos(sqls_, vistos_[tipo]);
        if (tipo == "printed") return Novos(t_.impressos.linhas(), vistos_[tipo]);
        if (tipo == "commands") return Novos(t_.executor.linhas, vistos_[tipo]);
        if (tipo == "files") return NomesDaPasta();
        if (tipo == "rows") return Linhas(Depois(d, 1));
        if (tipo == "waits") {
            for (auto ms : t_.relogio.esperas()) linhas.push_back(std::to_string(ms.count()));
            return Novos(linhas, vistos_[tipo]);
        }
        if (tipo == "messages") {
            for (const auto& [titulo, texto] : t_.mensagens.caixas) linhas.push_back(titulo + ": " + texto);
        } else if (tipo == "settings") {
            for (const auto& [nome, campo] : Ajustes())
                if (d.args.size() == 1 || std::find(d.args.begin() + 1, d.args.end(), nome) != d.args.end())
                    linhas.push_back(nome + "=" + Normaliza(campo.le()));
        } else if (tipo == "monitor") {
            linhas = {monitor_.captionMonitor() + (monitor_.emPausa() ? ", paused" : "") + ", timer " +
                      (t_.timer1.ligado() ? "on" : "off") + ", exports pending " +
                      std::to_string(ctx_.exportacoesPendentes.size()) + ", scheduled"};
            for (const auto& [ms, trabalho] : agendador_.pendentes) linhas[0] += " " + std::to_string(ms.count());
        } else {
            ADD_FAILURE() << "unknown expectation " << tipo;
        }
        return linhas;
    }

    void Espera(const Diretiva& d) {
        const std::string tipo = Arg(d, 0) == "no" ? "no " + Arg(d, 1) : Arg(d, 0);
        const std::string pasta = t_.pastaComandas() + "/";
        const std::string etiqueta = t_.pasta.arquivo("etiqueta.prn");  // the port ImpEtiqueta writes, raw
        if (tipo == "printer") {
            std::string texto;
            for (const fs::path& doc : NovosDocumentos(Arg(d, 1))) texto += Le(doc) + "\f\n";
            ComparaDourado(Arg(d, 1) + ".txt", texto);
        } else if (tipo == "no printer") {
            EXPECT_TRUE(NovosDocumentos(Arg(d, 2)).empty()) << "documents on " << Arg(d, 2);
        } else if (tipo == "font") {
            fs::path ultima;
            for (const auto& e : fs::directory_iterator(t_.pasta.arquivo("impressoras/" + Arg(d, 1))))
                if (e.path().extension() == ".font" && e.path() > ultima) ultima = e.path();
            EXPECT_EQ(Troca(Le(ultima), "\n", "|"), Depois(d, 2) + "|");
        } else if (tipo == "file") {
            ASSERT_TRUE(fs::exists(pasta + Arg(d, 1))) << Arg(d, 1) << " is not in the monitored folder";
            if (Arg(d, 2) == "@") return ComparaDourado(Arg(d, 1), Le(pasta + Arg(d, 1)));
            EXPECT_EQ(DeCp1252(Le(pasta + Arg(d, 1))), Desescapa(Depois(d, 2)));
        } else if (tipo == "no file") {
            EXPECT_FALSE(fs::exists(pasta + Arg(d, 2))) << Arg(d, 2) << " is still there";
        } else if (tipo == "label") {
            if (d.args.size() < 2) return ComparaDourado("etiqueta.prn", Le(etiqueta));
            EXPECT_EQ(Le(etiqueta), Desescapa(Depois(d, 1)));
        } else if (tipo == "no label") {
            EXPECT_FALSE(fs::exists(etiqueta)) << "a label was written";
        } else if (tipo == "result") {
            EXPECT_EQ(resultado_, Depois(d, 1));
            excecao_ = false;
        } else if (tipo == "timer") {
            EXPECT_EQ(t_.timer1.ligado() ? "on" : "off", Arg(d, 1));
        } else if (tipo == "exit") {
            EXPECT_EQ(saida_ ? std::to_string(*saida_) : "none", Arg(d, 1));
        } else {
            ComparaBloco(d, Bloco(d));
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
    std::map<std::string, std::size_t> vistos_;  // by kind (and "printer NAME"): what was already looked at
    struct Reescrita {
        std::string origem;
        int linha;
        std::vector<std::string> bloco;
    };
    std::vector<Reescrita> reescritas_;
    bool excecao_ = false;          // the last action threw: `expect result` must say so
    bool perdeConexao_ = false;     // lose-connection: the next commit
    bool registraEsperas_ = false;  // log-waits
    bool servidorFora_ = false;     // server down: every statement fails as a lost connection
};

// One test per case file, named after its folder and file.
const bool kRegistrados = [] {
    const fs::path raiz = DoProjeto("tests/cases");
    if (!fs::is_directory(raiz)) return false;
    std::vector<fs::path> casos;
    for (const auto& e : fs::recursive_directory_iterator(raiz))
        if (e.path().extension() == ".case") casos.push_back(e.path());
    std::sort(casos.begin(), casos.end());
    for (const fs::path& caso : casos) {
        const std::string suite = Troca(fs::relative(caso.parent_path(), raiz).string(), "/", "_");
        ::testing::RegisterTest(("Caso_" + suite).c_str(), caso.stem().string().c_str(), nullptr, nullptr,
                                caso.string().c_str(), 1, [caso]() -> ::testing::Test* { return new Caso(caso); });
    }
    return true;
}();

}  // namespace
}  // namespace varelo::casos
