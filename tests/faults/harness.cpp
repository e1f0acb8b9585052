// The fault-point harness. Each scenario of scenarios.txt is run once
// without faults, to count its fault points, then once per point and fault
// kind with that one point failing. In the program's own process the
// program then recovers as it would (the pause ends, time passes and the
// overdue-item check prints what waited); the points where the program dies
// are tried on the real program (varelosync-falhas), which is started again.
// Each run must keep the invariants against the run without faults: nothing
// lost, doubled or torn; and, since the program runs as the database user
// that scripts/db/grants.sql creates, nothing denied to it, recovery paths
// included. Prints one summary line.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>

#include "app/monitor.h"
#include "app/wiring.h"
#include "base/clock.h"
#include "base/lines.h"
#include "checks/delivery_check.h"
#include "db/banco.h"
#include "printing/document.h"
#include "tests/faults/faults.h"
#include "tests/support/case_file.h"
#include "tests/support/program_run.h"
#include "tests/support/test_context.h"
#include "transactions/scan.h"

namespace varelo::falhas {
namespace {

using namespace std::chrono_literals;
using Linhas = std::vector<std::string>;
using Alvos = std::vector<Alvo>;
using casos::Troca;

// The database user of scripts/db/grants.sql, which the program runs as;
// its password needs quoting in the driver's connection text.
const Credenciais kRestrito{"varelosync", "Restrito;16} x"};

// A scenario: the statements that bring the database to its start (the
// clean-up first), the request files, the actions, the queries that count
// what a run left.
struct Cenario {
    std::string nome;
    Linhas sql, acoes, contagens;
    std::vector<std::pair<std::string, std::string>> pedidos;  // name, content
    int autoRecebFinal = 0;
    bool morte = false;  // the real program is killed in it
};

// What a run of a scenario left behind.
struct Resultado {
    // Each printer's documents, oldest first, as the spool printer keeps
    // them; the label printer's are the writes to its port.
    std::map<std::string, Linhas> documentos;
    Linhas pedidosRestantes;                          // requests still in the folder, or set aside
    std::map<std::string, std::string> respostas;     // reply file -> content
    std::map<std::string, std::string> arquivosPalm;  // the handhelds' files
    // Item rows, open or received, by remark ("item r1"); history rows by
    // comanda, order and item.
    std::map<std::string, long> contagens;
    Linhas eventos;         // the event list, for the report
    std::string usuario;    // whom the program's connection was (in the program's process)
    bool alcancado = true;  // the target was reached (the program died there)
};

// What a run under a fault broke, one line per breach: lost (a request
// unanswered, an item not launched or not on paper, a receipt missing),
// doubled (an item launched twice, printed twice without the repeat line,
// received twice), torn (a document not whole, a handheld file not as a
// complete export), denied (a statement the restricted user may not send).
enum { Perdido, Dobrado, Rasgado, Negado };
using Veredito = std::array<Linhas, 4>;

// The scenarios of scenarios.txt (its head tells the format). What comes
// before the first scenario goes into each one; a template's use is
// replaced by its lines, which are read next.
std::vector<Cenario> LeCenarios(const std::string& arquivo) {
    Linhas fila = LinhasDoTexto(Le(arquivo));
    std::map<std::string, std::string> modelos;
    Cenario comum;
    std::vector<Cenario> cenarios;
    for (std::size_t i = 0; i < fila.size(); ++i) {
        std::istringstream linha(fila[i]);
        std::string palavra, resto;
        std::getline(linha >> palavra >> std::ws, resto);
        Cenario& c = cenarios.empty() ? comum : cenarios.back();
        const std::string primeira = resto.substr(0, resto.find(' ')), depois = resto.substr(resto.find(' ') + 1);
        if (const auto m = modelos.find(palavra); m != modelos.end()) {
            std::istringstream palavras(resto);
            std::string texto = m->second, argumento;
            for (int n = 1; palavras >> argumento; ++n) texto = Troca(texto, "$" + std::to_string(n), argumento);
            const Linhas partes = LinhasDoTexto(Troca(texto, " | ", "\n"));
            fila.insert(fila.begin() + static_cast<long>(i) + 1, partes.begin(), partes.end());
        } else if (palavra == "define") modelos[primeira] = depois;
        else if (palavra == "cenario") cenarios.emplace_back(comum).nome = resto;
        else if (palavra == "sql") c.sql.push_back(resto);
        else if (palavra == "contagem") c.contagens.push_back(resto);
        else if (palavra == "acao") c.acoes.push_back(resto);
        else if (palavra == "autoreceb") c.autoRecebFinal = std::stoi(resto);
        else if (palavra == "morte") c.morte = true;
        else if (palavra == "pedido") c.pedidos.emplace_back(primeira, Troca(depois, "\\r\\n", "\r\n"));
        else if (!palavra.empty() && palavra[0] != '#') throw std::runtime_error(arquivo + ": " + fila[i]);
    }
    if (cenarios.empty() || comum.contagens.empty()) throw std::runtime_error(arquivo + ": sem cenários ou contagens");
    return cenarios;
}

long Quantas(const Linhas& linhas, const std::string& prefixo) {
    return std::count_if(linhas.begin(), linhas.end(), [&](const std::string& l) { return l.starts_with(prefixo); });
}

// "dd/mm/yyyy - hh:mm:ss"
bool LinhaDeData(const std::string& l) {
    static const std::regex kForma(R"(\d\d/\d\d/\d{4} - \d\d:\d\d:\d\d)");
    return std::regex_match(l, kForma);
}

// The last line that is not one of the blank feed lines.
const std::string& UltimaEscrita(const Linhas& l) {
    const auto i = std::find_if(l.rbegin(), l.rend(), [](const std::string& x) { return x != " "; });
    return i == l.rend() ? l.front() : *i;
}

// Why a printed document is not whole, or "" when it is.
std::string Rasgo(const std::string& impressora, const Linhas& l) {
    if (l.empty()) return "documento vazio";
    if (impressora == "etiqueta") {
        // Each copy: the number line, three product lines, the blank after it.
        if (l.size() % 5 != 0) return "etiqueta com linhas a mais ou a menos";
        for (std::size_t i = 0; i < l.size(); i += 5)
            if (!l[i].starts_with("ETIQUETA ") || !l[i + 4].empty()) return "etiqueta sem começo ou fim";
    } else if (Quantas(l, "Venda No") > 0) {
        if (Quantas(l, "Venda No") != 1 || Quantas(l, "TOTAL A PAGAR") != 1) return "conta com partes de outra";
        if (l.front() != "Restaurante" || !UltimaEscrita(l).starts_with("Varelo Tecnologia - ")) return "conta cortada";
    } else if (Quantas(l, "DELIVERY (") > 0) {
        if (Quantas(l, "DELIVERY (") != Quantas(l, "Item ")) return "delivery com item pela metade";
        // It ends with its date line, or, when the order's last item is not
        // printed, with the dashes that close its last item.
        const auto datas = std::count_if(l.begin(), l.end(), LinhaDeData);
        const std::string& ultima = UltimaEscrita(l);
        if (datas > 1 || (datas == 1 ? !LinhaDeData(ultima) : ultima != std::string(48, '-')))
            return "delivery sem o fim ou com dois";
    } else if (Quantas(l, "Registro: ") > 0) {
        const auto registro =
            std::find_if(l.begin(), l.end(), [](const std::string& x) { return x.starts_with("Registro: "); });
        if (Quantas(l, "Registro: ") != 1 || Quantas(l, "PEDIDO DE MESA") > 1) return "cupom com partes de outro";
        if (!l.front().empty() || registro == l.begin() || (registro - 1)->find(" - id:") == std::string::npos)
            return "cupom sem começo ou sem a data";
        if (!UltimaEscrita(l).starts_with("Registro: ")) return "cupom com algo depois do fim";
    } else if (Quantas(l, "Retirar ") != 1 || l.size() != 2 || l[1] != "no balcao") {
        return "documento que não é de nenhum tipo";
    }
    return "";
}

// The markers a document carries, each once: the remarks of kitchen and
// delivery items, the product lines of a label (which repeats its items
// once per copy), the bill's comanda, a prepared print's line.
std::set<std::string> Marcas(const std::string& impressora, const Linhas& l) {
    std::set<std::string> marcas;
    for (const std::string& x : l) {
        if (x.starts_with("Obs    : ")) marcas.insert(x.substr(9));
        else if (x.starts_with("Comanda:  ")) marcas.insert("conta " + x.substr(10));
        else if (x.starts_with("Retirar ")) marcas.insert(x.substr(8));
        else if (impressora == "etiqueta" && x.starts_with("Bolo ")) marcas.insert(x.substr(5));
    }
    return marcas;
}

// How often a marker is on paper, and how often again without the repeat line.
struct Papel { long vezes = 0, semAviso = 0; };

// Every marker on paper, per printer: how often, and how often again
// without saying so. Documents that are not whole go to `rasgados`.
std::map<std::string, Papel> NoPapel(const Resultado& r, Linhas* rasgados) {
    std::map<std::string, Papel> papel;
    for (const auto& [impressora, documentos] : r.documentos)
        for (std::size_t d = 0; d < documentos.size(); ++d) {
            // Without the repeat line, if it has one.
            Linhas linhas = LinhasDoTexto(documentos[d]);
            const bool repetido = !linhas.empty() && linhas.front() == kReimpressao;
            if (repetido) linhas.erase(linhas.begin());
            const std::string rasgo = Rasgo(impressora, linhas);
            if (rasgados && !rasgo.empty())
                rasgados->push_back(impressora + " documento " + std::to_string(d + 1) + ": " + rasgo);
            for (const std::string& m : Marcas(impressora, linhas)) {
                Papel& p = papel[impressora + " " + m];
                if (p.vezes++ > 0 && !repetido) ++p.semAviso;
            }
        }
    return papel;
}

// The breaches of a run without faults that make it useless as a reference.
Linhas ProblemasDaReferencia(const Resultado& r) {
    Linhas problemas;
    for (const auto& p : r.pedidosRestantes) problemas.push_back("pedido sem resposta: " + p);
    for (const auto& [marca, papel] : NoPapel(r, &problemas))
        if (papel.vezes != 1) problemas.push_back(marca + " no papel " + std::to_string(papel.vezes) + " vezes");
    return problemas;
}

// What the server denied the program, and whether it was the restricted user.
Linhas Negados(const Resultado& r) {
    Linhas negados;
    for (const std::string& e : r.eventos)
        if (e.find("denied") != std::string::npos) negados.push_back("negado: " + e);
    if (!r.usuario.empty() && !r.usuario.starts_with(*kRestrito.usuario + "@"))
        negados.push_back("o programa não usou o usuário restrito: " + r.usuario);
    return negados;
}

// Calls `acao` with each key of either map.
template <typename Mapa, typename Acao>
void ParaCada(const Mapa& a, const Mapa& b, Acao acao) {
    std::set<std::string> chaves;
    for (const Mapa* m : {&a, &b})
        for (const auto& [k, v] : *m) chaves.insert(k);
    for (const auto& k : chaves) acao(k);
}

template <typename Mapa>
typename Mapa::mapped_type Valor(const Mapa& m, const std::string& k) {
    const auto i = m.find(k);
    return i == m.end() ? typename Mapa::mapped_type{} : i->second;
}

const std::set<std::string> kArquivosPalm = {"cadpro.txt", "atendentes.txt", "Comandas.txt", "cadqtde.txt",
                                             "cadobs.txt"};

Resultado Colhe(ContextoTeste& t, const Cenario& c, const Linhas& etiquetas) {
    Resultado r;
    for (const char* impressora : {"default", "cozinha", "bar"}) r.documentos[impressora] = t.documentos(impressora);
    r.documentos["etiqueta"] = etiquetas;
    const std::string pasta = t.pastaComandas();
    for (const std::string& nome : t.arquivos.disco.lista(pasta)) {
        const std::string conteudo = t.arquivos.disco.le(Junta(pasta, nome));
        if (!TipoDoPedido(nome).empty()) r.pedidosRestantes.push_back(nome);
        else if (nome.starts_with("okComanda") || nome.starts_with("erro")) r.respostas[nome] = conteudo;
        else if (kArquivosPalm.count(nome) || nome.starts_with("ConsumoComanda")) r.arquivosPalm[nome] = conteudo;
    }
    const std::string rejeitados = Junta(pasta, "rejeitados");
    if (t.arquivos.disco.ehPasta(rejeitados))
        for (const std::string& nome : t.arquivos.disco.lista(rejeitados))
            r.pedidosRestantes.push_back("rejeitados/" + nome);
    t.banco.abandona();  // the program's connection may have died with it
    for (const std::string& sql : c.contagens) {
        const Linhas k = t.consulta(sql, "k"), n = t.consulta(sql, "n");
        for (std::size_t i = 0; i < k.size() && i < n.size(); ++i) r.contagens[k[i]] = std::stol(n[i]);
    }
    r.eventos = t.eventos.linhas();
    return r;
}

Veredito Compara(const Resultado& ref, const Resultado& r, bool reinicio) {
    Veredito v;
    v[Negado] = Negados(r);
    for (const auto& p : r.pedidosRestantes) v[Perdido].push_back("pedido sem resposta: " + p);
    // The replies the run without faults wrote, and no other (after a
    // restart, those removed at start-up are not missed).
    ParaCada(ref.respostas, r.respostas, [&](const std::string& nome) {
        if (Valor(r.respostas, nome) != Valor(ref.respostas, nome) && (!reinicio || r.respostas.count(nome)))
            v[Perdido].push_back("resposta " + nome + " faltando ou outra: " + Valor(r.respostas, nome));
    });

    // One item per inclusion answered ok, none for one answered erro; the
    // history as the run without faults left it.
    ParaCada(ref.contagens, r.contagens, [&](const std::string& chave) {
        const long esperado = Valor(ref.contagens, chave), visto = Valor(r.contagens, chave);
        if (visto != esperado)
            v[visto < esperado ? Perdido : Dobrado].push_back(chave + ": " + std::to_string(visto) + " linhas, não " +
                                                              std::to_string(esperado));
    });

    // On paper at least once what the run without faults printed, and more
    // than once only behind the repeat line.
    const auto papel = NoPapel(r, &v[Rasgado]);
    for (const auto& [marca, p] : NoPapel(ref, nullptr))
        if (Valor(papel, marca).vezes == 0) v[Perdido].push_back(marca + " não saiu no papel");
    for (const auto& [marca, p] : papel)
        if (p.semAviso > 0) v[Dobrado].push_back(marca + " repetido sem " + kReimpressao);

    // The handhelds' files end as the run without faults left them: whole,
    // and exported again after whatever cut them short. (Rows of one product
    // come in the server's order, so lines are compared as a set, and the
    // sizes tell a line end cut short.)
    ParaCada(ref.arquivosPalm, r.arquivosPalm, [&](const std::string& nome) {
        const std::string a = Valor(ref.arquivosPalm, nome), b = Valor(r.arquivosPalm, nome);
        if (reinicio && nome == "Comandas.txt") {
            if (b.find_first_not_of("0123456789\r\n") != std::string::npos)
                v[Rasgado].push_back("arquivo Comandas.txt com algo que não é um número");
            return;
        }
        const Linhas la = LinhasDoTexto(a), lb = LinhasDoTexto(b);
        if (std::multiset<std::string>(la.begin(), la.end()) != std::multiset<std::string>(lb.begin(), lb.end()) ||
            a.size() != b.size() || ref.arquivosPalm.count(nome) != r.arquivosPalm.count(nome))
            v[Rasgado].push_back("arquivo " + nome + " diferente do completo");
    });
    return v;
}

// One run of a scenario: without a target (the reference), it lists in
// `alvos` the targets to try; with one, that point fails.
using Rodada = std::function<Resultado(const Alvo* alvo, Alvos& alvos)>;

// The fault points tried, how many broke each kind of invariant, how many
// were never reached.
struct Placar {
    long tentados = 0, naoAlcancados = 0, relatados = 0;
    std::array<long, 4> quebras{};
    // The reference run, then one run per target, each compared with it;
    // prints what the first 40 broke with the end of their event list.
    void tenta(const Cenario& c, bool reinicio, const Rodada& roda) {
        Alvos alvos;
        const Resultado referencia = roda(nullptr, alvos);
        const Linhas problemas = ProblemasDaReferencia(referencia), negados = Negados(referencia);
        std::printf("%s: %zu pontos a tentar\n", c.nome.c_str(), alvos.size());
        for (const Linhas* l : {&problemas, &negados})
            for (const std::string& p : *l) std::printf("  referência: %s\n", p.c_str());
        quebras[Perdido] += !problemas.empty();
        quebras[Negado] += !negados.empty();
        for (std::size_t a = 0; a < alvos.size() && problemas.empty(); ++a) {
            const Resultado r = roda(&alvos[a], alvos);
            const Veredito v = Compara(referencia, r, reinicio);
            ++tentados;
            naoAlcancados += !r.alcancado;
            for (int i : {Perdido, Dobrado, Rasgado, Negado}) quebras[i] += !v[i].empty();
            if ((r.alcancado && v == Veredito{}) || relatados++ >= 40) continue;
            std::printf("  %s, %s %d (%s)%s:\n", c.nome.c_str(), kNomePonto[int(alvos[a].ponto)], alvos[a].indice,
                        kNomeModo[int(alvos[a].modo)], r.alcancado ? "" : ", não alcançado");
            for (const Linhas& l : v)
                for (const std::string& linha : l) std::printf("    %s\n", linha.c_str());
            for (std::size_t i = r.eventos.size() > 25 ? r.eventos.size() - 25 : 0; i < r.eventos.size(); ++i)
                std::printf("      | %s\n", r.eventos[i].c_str());
        }
    }
};

// The program as the window runs it, as the restricted user, on the test's
// services wrapped by the injector. The scenario's own statements go through
// an administrator's connection of their own.
struct Ambiente {
    explicit Ambiente(const Cenario& c) {
        t.ctx.cfg.credenciais = kRestrito;
        ctx.pastaPrograma = t.ctx.pastaPrograma;
        ctx.cfg = t.ctx.cfg;
        ctx.cfg.LinhaFim = 2;
        ctx.cfg.qtdMinimo = Dinheiro::deDezMilesimos(5000);
        ctx.cfg.AutoImpressao = true;
        ctx.cfg.AutoRecebFinal = c.autoRecebFinal;
        ctx.cfg.empresa = {"Restaurante", "Rua", "Cidade", "SP"};
        // Two hours ahead of the server's clock, so that what the program
        // launches is never overdue until the recovery says time passed.
        t.relogio.define(RelogioSistema().agora());
        t.relogio.avanca(2h);
        LigaProcedimentos(ctx, avisos);
        t.armazem.grava("Varelo", "Config", "ImpCupom", "default");
        t.armazem.grava("Varelo", "Config", "ImpEtiqueta", "etiqueta.prn");
        t.pasta.escreve("etiqueta.txt", "ETIQUETA NUMPEDIDO\r\nPRODA1\r\nPRODB1\r\nPRODC1\r\n");
        arquivos.portaEtiqueta = Junta(ctx.pastaPrograma, "etiqueta.prn");
        Instala(t.banco, injetor);
    }
    // A tick as the event loop gives it: a pause that ended first resumes.
    void Tique() {
        agendador.executa();
        monitor.Timer1_Timer();
    }

    ContextoTeste t, administrador;
    Injetor injetor;
    ArquivosComFalhas arquivos{injetor};
    ImpressaoComFalhas impressao{t.impressao, injetor};
    Contexto ctx{t.relogio, arquivos,   t.armazem,  t.eventos,   t.impressos, t.banco,
                 t.mensagens, t.timer1, t.processos, t.executor, impressao};
    AvisosDelivery avisos;
    AgendadorManual agendador;
    Monitor monitor{ctx, agendador};
};

const std::map<std::string, void (*)(Ambiente&)> kAcoes = {
    {"inicio", [](Ambiente& a) { a.monitor.tmrInicio_Timer(); }},
    {"tique", [](Ambiente& a) { a.Tique(); }},
    {"atualizar", [](Ambiente& a) { a.monitor.cmdAtualizar_Click(); }},
    {"consumos", [](Ambiente& a) { a.monitor.cmdConsumos_Click(); }},
};

// One run of a scenario (see Rodada): with a target, that point fails while
// the scenario plays, and the program then recovers without faults.
Resultado Roda(const Cenario& c, const Alvo* alvo, Alvos& alvos) {
    Ambiente a(c);
    for (const std::string& sql : c.sql) a.administrador.executa(sql);
    if (std::find(c.acoes.begin(), c.acoes.end(), "inicio") == c.acoes.end()) a.monitor.tmrInicio_Timer();

    a.injetor.contagem.clear();
    if (alvo) a.injetor.alvo = *alvo;
    for (const auto& [nome, conteudo] : c.pedidos) a.t.arquivos.disco.grava(a.t.comanda(nome), conteudo);
    for (const std::string& acao : c.acoes) kAcoes.at(acao)(a);
    for (int i = 0; i < 6; ++i) a.Tique();
    for (const auto& [ponto, n] : alvo ? std::map<Ponto, int>{} : a.injetor.contagem)
        for (int i = 1; i <= n; ++i)
            for (Modo modo : ponto == Ponto::Comando ? std::vector{Modo::PerdaAntes, Modo::PerdaDepois, Modo::Recusa}
                                                     : std::vector{Modo::Falha})
                alvos.push_back({ponto, i, modo});
    a.injetor.alvo.reset();
    a.injetor.perdaPendente = false;

    // Time passes: what still waits for the kitchen is overdue, and the
    // check prints it, as it would five minutes later.
    a.agendador.executa();
    a.administrador.executa("Update ItemComanda set DataHora = now() - interval 10 minute where impresso=0");
    for (int i = 0; i < 4; ++i) a.Tique();
    a.t.banco.abandona();
    const std::string usuario = a.t.consulta("Select current_user() as u", "u").at(0);
    a.t.ctx.cfg.credenciais = {};  // what is left is read as root
    Resultado r = Colhe(a.t, c, a.arquivos.etiquetas);
    r.usuario = usuario;
    r.alcancado = !alvo || a.injetor.disparou;
    return r;
}

#ifdef VARELO_PONTOS_DE_MORTE
// The ways worth dying at a point, from its line in the points file: before
// a statement that writes or a commit, once a commit is done, right after a
// print job was taken.
std::vector<Modo> ModosDeMorte(const std::string& linha) {
    if (linha.starts_with("comando commit")) return {Modo::Mata, Modo::MataDepois};
    for (const char* p : {"trabalho", "comando Insert", "comando INSERT", "comando Update", "comando delete"})
        if (linha.starts_with(p)) return {Modo::Mata};
    return {};
}

// The program's folders and settings on a test's scratch folder, with the
// scenario's statements and requests in place. With a target, the program
// dies there first; then it runs until every request is served, time passes
// and the overdue check prints what waited, and it is stopped. The
// reference run counts its points up to the moment every request is served:
// those are the ones a killed run can reach.
Resultado RodaMorte(const Cenario& c, const Alvo* alvo, Alvos& alvos) {
    ContextoTeste t;
    const std::string pontos = t.pasta.arquivo("pontos.txt");
    t.pasta.escreve("config.ini", "[VareloSync]\nPastaComanda=" + t.pastaComandas() + "\n[Varelo]\nIPServidor=" +
                                      ContextoTeste::IpServidorTeste() + "\nDriver=MariaDB Unicode\nUsuario=" +
                                      *kRestrito.usuario + "\nSenha=" + *kRestrito.senha + "\n");
    for (const auto& [chave, valor] : {std::pair{"ImpCupom", "default"}, {"LinhaFim", "2"}, {"Nome", "Restaurante"}})
        t.armazem.grava("Varelo", "Config", chave, valor);
    for (const std::string& sql : c.sql) t.executa(sql);
    for (const auto& [nome, conteudo] : c.pedidos) t.arquivos.disco.grava(t.comanda(nome), conteudo);

    // VARELO_FALHA empty: no fault; VARELO_PONTOS empty: no points file.
    setenv("XDG_CONFIG_HOME", t.armazem.pastaBase().c_str(), 1);
    setenv("VARELO_PONTOS", alvo ? "" : pontos.c_str(), 1);
    const Linhas argumentos{"--home", t.pasta.caminho(), "--print-to", t.pasta.arquivo("impressoras"), "--headless"};
    int status = 128 + 9;
    if (alvo) {
        std::string tipo = alvo->ponto == Ponto::Trabalho ? "trabalho:" : "comando:";
        if (alvo->modo == Modo::MataDepois) tipo = "comando-depois:";
        setenv("VARELO_FALHA", (tipo + std::to_string(alvo->indice)).c_str(), 1);
        Execucao morto(argumentos, t.pasta.caminho(), "morto");
        if ((status = morto.Termina(40s)) != 128 + 9) morto.Mata();
    }
    setenv("VARELO_FALHA", "", 1);
    Execucao vivo(argumentos, t.pasta.caminho(), alvo ? "vivo" : "referencia");
    const bool servidos = Aguarda([&] {
        const Linhas nomes = t.arquivos.disco.lista(t.pastaComandas());
        return std::none_of(nomes.begin(), nomes.end(), [](const std::string& n) { return !TipoDoPedido(n).empty(); });
    }, 40s);
    int contagem[2] = {0, 0};  // round trips, print jobs
    for (const std::string& linha : alvo ? Linhas{} : LinhasDoTexto(Le(pontos))) {
        const bool trabalho = linha.starts_with("trabalho");
        const int indice = ++contagem[trabalho];
        for (Modo modo : ModosDeMorte(linha))
            alvos.push_back({trabalho ? Ponto::Trabalho : Ponto::Comando, indice, modo});
    }
    t.banco.abandona();
    t.executa("Update ItemComanda set DataHora = now() - interval 10 minute where impresso=0");
    const std::string esperando = "Select count(*) as n from ItemComanda where impresso=0";
    Aguarda([&] { return t.consulta(esperando, "n").at(0) == "0"; }, 15s);
    vivo.Para();

    // What the runs printed (Execucao keeps it in NAME.out).
    Resultado r = Colhe(t, c, {});
    for (const char* saida : {"morto.out", "vivo.out", "referencia.out"})
        for (const std::string& l : LinhasDoTexto(Le(t.pasta.arquivo(saida)))) r.eventos.push_back(l);
    if (!alvo && !servidos) r.pedidosRestantes.push_back("(a referência não serviu todos os pedidos)");
    if ((r.alcancado = status == 128 + 9)) return r;
    r.eventos.push_back("o programa não morreu ali (saída " + std::to_string(status) + ")");
    return r;
}
#endif

int Executa() {
    const char* fonte = std::getenv("VARELO_SOURCE_DIR");
    const char* pasta = std::getenv("VARELO_TEST_DB_DIR");
    if (!fonte || !pasta) {
        std::fprintf(stderr, "run through ctest: the database fixture is missing\n");
        return 2;
    }
    const std::vector<Cenario> cenarios = LeCenarios(std::string(fonte) + "/tests/faults/scenarios.txt");
    const std::string script = std::string(fonte) + "/scripts/private-mariadb.sh ";
    const std::string recria = script + "reset '" + pasta + "' >/dev/null && " + script + "seed '" + pasta + "'";
    if (std::system((recria + " >/dev/null").c_str()) != 0) return 2;
    if (std::system((script + "sql '" + pasta + "' --init-command=\"SET @senha='" + *kRestrito.senha + "'\" < '" +
                     fonte + "/scripts/db/grants.sql'").c_str()) != 0)
        return 2;
    Placar placar;
    const char* filtro = std::getenv("VARELO_CENARIO");
    for (const Cenario& c : cenarios) {
        if (filtro && c.nome != filtro) continue;
#ifdef VARELO_PONTOS_DE_MORTE
        if (c.morte) placar.tenta(c, /*reinicio=*/true, [&](const Alvo* a, Alvos& v) { return RodaMorte(c, a, v); });
#endif
        if (!c.morte) placar.tenta(c, /*reinicio=*/false, [&](const Alvo* a, Alvos& v) { return Roda(c, a, v); });
    }
    if (placar.naoAlcancados > 0) std::printf("fault points not reached: %ld\n", placar.naoAlcancados);
    std::printf("fault points: %ld tried, %ld lost, %ld doubled, %ld torn, %ld denied\n", placar.tentados,
                placar.quebras[Perdido], placar.quebras[Dobrado], placar.quebras[Rasgado], placar.quebras[Negado]);
    std::fflush(stdout);
    return (placar.quebras != decltype(placar.quebras){} || placar.naoAlcancados > 0 || placar.tentados < 500) ? 1 : 0;
}

}  // namespace
}  // namespace varelo::falhas

int main() { return varelo::falhas::Executa(); }
