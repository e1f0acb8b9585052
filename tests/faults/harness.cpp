// The fault-point harness, in the program's own process: each scenario is
// run once to count its fault points, then once per point and fault kind
// with that one point failing. The program then recovers as it would (the
// pause ends, time passes and the overdue-item check prints what waited),
// and the run must keep the invariants against the run without faults.
// The points where the program dies are tried on the real program by
// kill_points.cpp. Prints one summary line.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "app/monitor.h"
#include "app/wiring.h"
#include "checks/delivery_check.h"
#include "db/banco.h"
#include "tests/faults/injection.h"
#include "tests/faults/outcome.h"
#include "tests/faults/scenarios.h"
#include "tests/support/test_context.h"

namespace varelo::falhas {
namespace {

namespace fs = std::filesystem;

// The harness's clock: two hours ahead of the server's, so that what the
// program launches is never overdue until the recovery says time passed.
DataHora Agora() {
    const std::time_t t = std::time(nullptr) + 2 * 3600;
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_wday};
}

// The program as the window runs it, on the test's services wrapped by the
// injector.
// The scenario's own statements go through an administrator's connection of
// their own, so the program may run as a user with fewer rights.
struct Ambiente {
    Ambiente(const Cenario& c, const Credenciais& credenciais) {
        t.ctx.cfg.credenciais = credenciais;
        ctx.pastaPrograma = t.ctx.pastaPrograma;
        ctx.cfg = t.ctx.cfg;
        ctx.cfg.LinhaFim = 2;
        ctx.cfg.qtdMinimo = Dinheiro::deDezMilesimos(5000);
        ctx.cfg.AutoImpressao = true;
        ctx.cfg.AutoRecebFinal = c.autoRecebFinal;
        ctx.cfg.empresa = {"Restaurante", "Rua", "Cidade", "SP"};
        t.relogio.define(Agora());
        LigaProcedimentos(ctx, avisos);
        t.armazem.grava("Varelo", "Config", "ImpCupom", "default");
        t.armazem.grava("Varelo", "Config", "ImpEtiqueta", "etiqueta.prn");
        t.pasta.escreve("etiqueta.txt", "ETIQUETA NUMPEDIDO\r\nPRODA1\r\nPRODB1\r\nPRODC1\r\n");
        arquivos.portaEtiqueta = Junta(ctx.pastaPrograma, "etiqueta.prn");
        Instala(t.banco, injetor);
    }

    void Executa(const std::string& sql) {
        administrador.AbreBanco(sql);
        administrador.FechaBanco();
    }
    // A tick as the event loop gives it: a pause that ended first resumes.
    void Tique() {
        agendador.executa();
        monitor.Timer1_Timer();
    }

    ContextoTeste t;
    ListaEventos eventosAdministrador;
    Banco administrador{eventosAdministrador, [] { return std::string("MariaDB Unicode"); },
                        [] { return ContextoTeste::IpServidorTeste(); }};
    Injetor injetor;
    ArquivosComFalhas arquivos{t.arquivos, injetor};
    ImpressaoComFalhas impressao{t.impressao, injetor};
    Contexto ctx{t.relogio, arquivos,   t.armazem,  t.eventos,   t.impressos, t.banco,
                 t.mensagens, t.timer1, t.processos, t.executor, impressao};
    AvisosDelivery avisos;
    AgendadorManual agendador;
    Monitor monitor{ctx, agendador};
};

// One run of a scenario; with a target, that point fails while the
// scenario plays, and the program then recovers without faults.
Resultado Roda(const Cenario& c, const std::optional<Alvo>& alvo, std::map<Ponto, int>* contagem = nullptr,
               const Credenciais& credenciais = {}) {
    Ambiente a(c, credenciais);
    for (const std::string& sql : Limpeza()) a.Executa(sql);
    for (const std::string& sql : c.sql) a.Executa(sql);
    const bool inicioNoCenario = std::find(c.acoes.begin(), c.acoes.end(), Acao::Inicio) != c.acoes.end();
    if (!inicioNoCenario) a.monitor.tmrInicio_Timer();

    a.injetor.zera();
    if (alvo) a.injetor.arma(alvo->ponto, alvo->indice, alvo->modo);
    for (const auto& [nome, conteudo] : c.pedidos) a.t.arquivos.disco.grava(a.t.comanda(nome), conteudo);
    for (Acao acao : c.acoes) {
        switch (acao) {
            case Acao::Inicio: a.monitor.tmrInicio_Timer(); break;
            case Acao::Tique: a.Tique(); break;
            case Acao::Atualizar: a.monitor.cmdAtualizar_Click(); break;
            case Acao::Consumos: a.monitor.cmdConsumos_Click(); break;
        }
    }
    for (int i = 0; i < 6; ++i) a.Tique();
    if (contagem) *contagem = a.injetor.contagem();
    a.injetor.desarma();

    // Time passes: what still waits for the kitchen is overdue, and the
    // check prints it, as it would five minutes later.
    a.agendador.executa();
    a.Executa("Update ItemComanda set DataHora = now() - interval 10 minute where impresso=0");
    for (int i = 0; i < 4; ++i) a.Tique();
    a.t.ctx.cfg.credenciais = {};  // what is left is read as root
    return Colhe(a.t, a.arquivos.etiquetas);
}

std::vector<Modo> Modos(Ponto p) {
    if (p == Ponto::Comando) return {Modo::PerdaAntes, Modo::PerdaDepois, Modo::Recusa};
    return {Modo::Falha};
}

// What a run as the restricted user left that the run as root did not.
Linhas Diferencas(const Resultado& comoRoot, const Resultado& r) {
    Linhas d;
    const Veredito v = Compara(comoRoot, r);
    for (const Linhas* l : {&v.perdidos, &v.dobrados, &v.rasgados}) d.insert(d.end(), l->begin(), l->end());
    if (r.respostas != comoRoot.respostas) d.push_back("as respostas diferem");
    if (r.arquivosPalm != comoRoot.arquivosPalm) d.push_back("os arquivos dos palms diferem");
    if (r.itensPorMarca != comoRoot.itensPorMarca) d.push_back("os itens diferem");
    if (r.historico != comoRoot.historico) d.push_back("o histórico difere");
    if (r.pedidosRestantes != comoRoot.pedidosRestantes) d.push_back("os pedidos restantes diferem");
    for (const auto& [impressora, documentos] : comoRoot.documentos)
        if (r.documentos.count(impressora) == 0 || r.documentos.at(impressora).size() != documentos.size())
            d.push_back("documentos diferentes em " + impressora);
    for (const std::string& e : r.eventos)
        if (e.find("denied") != std::string::npos) d.push_back("negado: " + e);
    return d;
}

// The program as the database user that scripts/db/grants.sql creates: each
// scenario, without faults, leaves what it leaves as root, and the server
// denies it nothing.
int RodaComUsuarioRestrito(const std::string& fonte, const std::string& script, const std::string& pasta) {
    const std::string senha = "Restrito-16";
    const std::string cria = script + "sql '" + pasta + "' --init-command=\"SET @senha='" + senha + "'\" < '" +
                             fonte + "/scripts/db/grants.sql'";
    if (std::system(cria.c_str()) != 0) return 2;
    int comProblemas = 0;
    for (const Cenario& c : Cenarios()) {
        const Linhas d = Diferencas(Roda(c, std::nullopt), Roda(c, std::nullopt, nullptr, {"varelosync", senha}));
        std::printf("%s: %s\n", c.nome.c_str(), d.empty() ? "ok" : "");
        for (const std::string& linha : d) std::printf("  %s\n", linha.c_str());
        if (!d.empty()) ++comProblemas;
    }
    std::printf("least privilege: %zu scenarios, %d differ\n", Cenarios().size(), comProblemas);
    return comProblemas == 0 ? 0 : 1;
}

}  // namespace

int Executa(bool usuarioRestrito) {
    const char* fonte = std::getenv("VARELO_SOURCE_DIR");
    const char* pasta = std::getenv("VARELO_TEST_DB_DIR");
    if (!fonte || !pasta) {
        std::fprintf(stderr, "run through ctest: the database fixture is missing\n");
        return 2;
    }
    const std::string script = std::string(fonte) + "/scripts/private-mariadb.sh ";
    if (std::system((script + "reset '" + pasta + "' >/dev/null && " + script + "seed '" + pasta + "' >/dev/null").c_str()) != 0)
        return 2;
    if (usuarioRestrito) return RodaComUsuarioRestrito(fonte, script, pasta);

    Placar placar;
    long relatados = 0;
    const char* filtro = std::getenv("VARELO_CENARIO");
    for (const Cenario& c : Cenarios()) {
        if (filtro && c.nome != filtro) continue;
        std::map<Ponto, int> contagem;
        const Resultado referencia = Roda(c, std::nullopt, &contagem);
        const Linhas problemas = ProblemasDaReferencia(referencia);
        std::printf("%s:", c.nome.c_str());
        for (const auto& [ponto, n] : contagem) std::printf(" %d %s", n, NomePonto(ponto));
        std::printf("\n");
        for (const std::string& p : problemas) std::printf("  referência: %s\n", p.c_str());
        if (!problemas.empty()) return 1;
        for (const auto& [ponto, n] : contagem)
            for (int i = 1; i <= n; ++i)
                for (Modo modo : Modos(ponto)) {
                    const Alvo alvo{ponto, i, modo};
                    const Resultado r = Roda(c, alvo);
                    const Veredito v = Compara(referencia, r);
                    if (placar.conta(v) && relatados++ < 40) Relata(c.nome, alvo, v, r);
                }
    }
#ifdef VARELO_PONTOS_DE_MORTE
    if (!filtro || std::string(filtro) == CenarioDeMorte().nome) RodaPontosDeMorte(placar, relatados);
#endif
    std::printf("fault points: %ld tried, %ld lost, %ld doubled, %ld torn\n", placar.tentados, placar.perdidos,
                placar.dobrados, placar.rasgados);
    std::fflush(stdout);
    return (placar.perdidos || placar.dobrados || placar.rasgados || placar.tentados < 500) ? 1 : 0;
}

}  // namespace varelo::falhas

// With --usuario-restrito, only the scenarios as the restricted database user.
int main(int argc, char** argv) {
    return varelo::falhas::Executa(argc > 1 && std::string(argv[1]) == "--usuario-restrito");
}
