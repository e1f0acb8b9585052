#include "transactions/scan.h"

#include <cctype>
#include <chrono>
#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "base/errors.h"
#include "base/step.h"
#include "base/event_list.h"
#include "base/file_patterns.h"
#include "base/files.h"
#include "base/platform.h"
#include "base/regional.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "core/replies.h"
#include "db/banco.h"
#include "transactions/inclusion.h"

namespace varelo {
namespace {

// The file being handled: its name and the number text that follows the
// kind word (everything up to the last four characters, taken as ".txt").
struct Pedido {
    std::string nome;
    std::string numero;
};

bool EhDoTipo(const std::string& nome, const std::string& palavra) {
    if (nome.size() < palavra.size()) return false;
    for (std::size_t i = 0; i < palavra.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(nome[i])) != palavra[i]) return false;
    return true;
}

std::string TextoNumero(const std::string& nome, std::size_t k) {
    if (nome.size() < k + 4) return "";
    return nome.substr(k, nome.size() - 4 - k);
}

// Runs one step of the scan. A failure is logged and, unless it is a file
// access error, the file being handled is deleted so that a failing request
// is not tried again; then the scan goes on with the next step.
void PassoDoPedido(Contexto& ctx, const std::string& nomeAtual, const std::function<void()>& passo) {
    Passo(passo, [&](const Erro& e) {
        if (e.numero() == Erro::kAcessoArquivo) {
            ctx.eventos.AdicionaEvento("Erro de acesso a arquivo / Pasta");
            return;
        }
        ctx.eventos.AdicionaEvento(e.what());
        if (!nomeAtual.empty()) ApagaArquivo(ctx, Junta(ctx.varredura.PastaMonitor, nomeAtual));
    });
}

void DefineComandaAtual(Contexto& ctx, const Pedido& p) {
    ctx.varredura.ComandaAtual = ParaInteiro16(p.numero);
}

void Inclusao(Contexto& ctx, const Pedido& p) {
    const std::string& caminho = ctx.varredura.ArqAtual;
    PassoDoPedido(ctx, p.nome, [&] { DefineComandaAtual(ctx, p); });
    PassoDoPedido(ctx, p.nome, [&] {
        if (ctx.varredura.ComandaAtual > 0) Chama(ctx.procs.InclueItem, caminho);
        else ApagaArquivo(ctx, caminho);
    });
    PassoDoPedido(ctx, p.nome, [&] {
        if (ArquivoExiste(ctx.arquivos, caminho)) {
            ctx.eventos.AdicionaEvento("Inclusao ainda existe: Tentando apagar novamente");
            Espera(ctx.relogio, 0.5f);
            ApagaArquivo(ctx, caminho);
        }
    });
    PassoDoPedido(ctx, p.nome, [&] {
        if (ArquivoExiste(ctx.arquivos, caminho)) {
            ctx.eventos.AdicionaEvento("Inclusao ainda existe: Tentando apagar novamente 2");
            Espera(ctx.relogio, 0.5f);
            ApagaArquivo(ctx, caminho);
        }
    });
    PassoDoPedido(ctx, p.nome, [&] { EsqueceInclusaoApagada(ctx, caminho); });
    PassoDoPedido(ctx, p.nome, [&] { Chama(ctx.procs.ExportaConsumos, ctx.varredura.PastaMonitor, p.numero); });
}

void Exclusao(Contexto& ctx, const Pedido& p) {
    PassoDoPedido(ctx, p.nome, [&] { DefineComandaAtual(ctx, p); });
    PassoDoPedido(ctx, p.nome, [&] { ApagaArquivo(ctx, ctx.varredura.ArqAtual); });
    PassoDoPedido(ctx, p.nome, [&] { GravaErro(ctx, std::to_string(ctx.varredura.ComandaAtual)); });
    PassoDoPedido(ctx, p.nome, [&] { Chama(ctx.procs.ExportaConsumos, ctx.varredura.PastaMonitor, p.numero); });
}

// PRINTM and PRINTD: print, delete, a short pause for the printer, log row.
// A request whose document a printer refused stays for the next scan.
void Impressao(Contexto& ctx, const Pedido& p,
               const std::function<bool(std::int32_t)>& imprime, const std::string& textoLog) {
    bool servido = true;
    PassoDoPedido(ctx, p.nome, [&] { DefineComandaAtual(ctx, p); });
    PassoDoPedido(ctx, p.nome, [&] { servido = ChamaOu(true, imprime, ParaInteiro32(p.numero)); });
    if (!servido) return;
    PassoDoPedido(ctx, p.nome, [&] { ApagaArquivo(ctx, ctx.varredura.ArqAtual); });
    PassoDoPedido(ctx, p.nome, [&] {
        ctx.eventos.AdicionaEvento("Esperando 1s ...");
        Espera(ctx.relogio, 0.5f);
    });
    PassoDoPedido(ctx, p.nome, [&] { GravaLog(ctx, textoLog + p.numero, "OPERACAO", "PALM"); });
}

void FechamentoConta(Contexto& ctx, const Pedido& p) {
    ResultadoConta resultado = ResultadoConta::NaoImpressa;
    PassoDoPedido(ctx, p.nome, [&] { DefineComandaAtual(ctx, p); });
    PassoDoPedido(ctx, p.nome, [&] {
        resultado = ChamaOu(ResultadoConta::NaoImpressa, ctx.procs.FechaConta, ParaInteiro32(p.numero),
                            ctx.varredura.ArqAtual, std::string());
    });
    if (resultado == ResultadoConta::Recusada) return;
    PassoDoPedido(ctx, p.nome, [&] { ApagaArquivo(ctx, ctx.varredura.ArqAtual); });
    PassoDoPedido(ctx, p.nome, [&] { GravaLog(ctx, "PALM Fecha Conta " + p.numero, "OPERACAO", "PALM"); });
}

void Despacha(Contexto& ctx, const std::string& nome) {
    const std::string tipo = TipoDoPedido(nome);
    auto pedido = [&] { return Pedido{nome, TextoNumero(nome, tipo.size())}; };
    if (tipo == "INCLUSAO") {
        Inclusao(ctx, pedido());
    } else if (tipo == "EXCLUSAO") {
        Exclusao(ctx, pedido());
    } else if (tipo == "PRINTM") {
        Impressao(ctx, pedido(), ctx.procs.ImprimeCupom, "PALM Imprimiu itens mesa ");
    } else if (tipo == "PRINTD") {
        Impressao(ctx, pedido(), ctx.procs.ImprimeDelivery, "PALM Imprimiu itens Delivery ");
    } else if (tipo == "FECHACONTA") {
        FechamentoConta(ctx, pedido());
    } else if (tipo == "FECHACOMANDA") {
        const Pedido p = pedido();
        PassoDoPedido(ctx, nome, [&] { DefineComandaAtual(ctx, p); });
        PassoDoPedido(ctx, nome, [&] { ApagaArquivo(ctx, ctx.varredura.ArqAtual); });
    } else if (tipo == "ATUALIZA") {
        const Pedido p = pedido();
        PassoDoPedido(ctx, nome, [&] { DefineComandaAtual(ctx, p); });
        PassoDoPedido(ctx, nome, [&] {
            Chama(ctx.procs.ExportaConsumos, ctx.varredura.PastaMonitor, std::to_string(ctx.varredura.ComandaAtual));
        });
        PassoDoPedido(ctx, nome, [&] { ApagaArquivo(ctx, ctx.varredura.ArqAtual); });
    } else if (tipo == "ATUCOM") {
        PassoDoPedido(ctx, nome, [&] { Chama(ctx.procs.ExportaComandas, ctx.varredura.PastaMonitor); });
        PassoDoPedido(ctx, nome, [&] { ApagaArquivo(ctx, ctx.varredura.ArqAtual); });
    } else if (tipo == "IMP") {
        bool servido = true;
        PassoDoPedido(ctx, nome, [&] { servido = ChamaOu(true, ctx.procs.ImprimeDiverso, ctx.varredura.ArqAtual); });
        if (servido) PassoDoPedido(ctx, nome, [&] { ApagaArquivo(ctx, ctx.varredura.ArqAtual); });
    }
}

// A handheld writes over the network share, and a request whose content is
// read may be caught before its end. Its last line ends with CR LF; until it
// does, the request waits for a later scan, unless it has not changed for
// this long (the time the reader already allows a file it cannot read):
// then it is taken as it stands.
constexpr std::chrono::seconds kEsperaConteudo{5};

bool LidoPeloConteudo(const std::string& tipo) {
    return tipo == "INCLUSAO" || tipo == "FECHACONTA" || tipo == "IMP";
}

bool Completo(Contexto& ctx, const std::string& nome, const std::string& tipo) {
    if (!LidoPeloConteudo(tipo)) return true;
    auto& incompletos = ctx.varredura.incompletos;
    std::string conteudo;
    try {
        conteudo = ctx.arquivos.le(ctx.varredura.ArqAtual);
    } catch (const Erro&) {
        incompletos.erase(nome);
        return true;  // the reader's own retries deal with it
    }
    if (conteudo.size() >= 2 && conteudo.compare(conteudo.size() - 2, 2, "\r\n") == 0) {
        incompletos.erase(nome);
        return true;
    }
    const auto agora = ctx.relogio.decorrido();
    auto visto = incompletos.find(nome);
    if (visto == incompletos.end() || visto->second.conteudo != conteudo) {
        incompletos[nome] = {std::move(conteudo), agora};
        return false;
    }
    // Kept while the file stays: unchanged, it is taken again at once (a
    // request the server rejected is tried at the next scan).
    return agora - visto->second.desde >= kEsperaConteudo;
}

// A request that the server rejects every time (a trigger, a value its
// column refuses) must not hold the folder: after this many scans in a row
// it is moved aside.
constexpr int kRecusasParaRejeitar = 3;

// Moves the request into the subfolder "rejeitados" (under a new name when
// one of the same name is there) and gives the handheld its error reply.
void Rejeita(Contexto& ctx, const std::string& nome, const std::string& tipo) {
    const std::string pasta = Junta(ctx.varredura.PastaMonitor, "rejeitados");
    ctx.arquivos.criaPasta(pasta);
    std::string destino = Junta(pasta, nome);
    for (int n = 1; !ctx.arquivos.carimbo(destino).empty(); ++n)
        destino = Junta(pasta, nome + "." + std::to_string(n));
    ctx.arquivos.renomeia(Junta(ctx.varredura.PastaMonitor, nome), destino);
    ctx.eventos.AdicionaEvento("Pedido recusado pelo banco de dados " + std::to_string(kRecusasParaRejeitar) +
                            " vezes, movido para rejeitados: " + nome);
    if (tipo == "INCLUSAO" || tipo == "EXCLUSAO")
        GravaErro(ctx, std::to_string(ParaInteiro16(TextoNumero(nome, tipo.size()))));
}

// One request as a unit of work. A lost connection goes on up: the monitor
// pauses and the request is handled again after it. A rejected statement
// rolls the request back and leaves it for the next scan; the scan goes on.
void Unidade(Contexto& ctx, const std::string& nome) {
    const std::string tipo = TipoDoPedido(nome);
    ctx.banco.novaUnidade();
    try {
        Despacha(ctx, nome);
        ctx.varredura.recusas.erase(nome);
    } catch (const PedidoAdiado& e) {
        ctx.eventos.AdicionaEvento(std::string("Pedido adiado para a próxima varredura: ") + nome + ": " + e.what());
    } catch (const ErroBanco& e) {
        if (e.perdaDeConexao()) throw;
        ctx.banco.abandona();
        const int recusas = ++ctx.varredura.recusas[nome];
        if (recusas < kRecusasParaRejeitar) {
            ctx.eventos.AdicionaEvento("Pedido recusado pelo banco de dados (" + std::to_string(recusas) + " de " +
                                    std::to_string(kRecusasParaRejeitar) +
                                    "), nova tentativa na próxima varredura: " + nome);
            return;
        }
        PassoDoPedido(ctx, "", [&] {
            Rejeita(ctx, nome, tipo);
            ctx.varredura.recusas.erase(nome);
        });
    }
}

// One background check as a unit of work: a rejected statement is rolled
// back and the scan goes on with the next check.
void Verificacao(Contexto& ctx, const std::function<void()>& verificacao) {
    ctx.banco.novaUnidade();
    try {
        PassoDoPedido(ctx, "", verificacao);
    } catch (const ErroBanco& e) {
        if (e.perdaDeConexao()) throw;
        ctx.banco.abandona();
        ctx.eventos.AdicionaEvento("Verificação recusada pelo banco de dados, seguindo com a próxima");
    }
}

// Forgets what the scan remembered of files no longer in the folder.
template <typename Mapa>
void EsqueceAusentes(Mapa& mapa, const std::set<std::string>& presentes) {
    for (auto it = mapa.begin(); it != mapa.end();)
        it = presentes.count(it->first) ? std::next(it) : mapa.erase(it);
}

}  // namespace

std::string TipoDoPedido(const std::string& nome) {
    for (const char* tipo : {"INCLUSAO", "EXCLUSAO", "PRINTM", "PRINTD", "FECHACONTA", "FECHACOMANDA", "ATUALIZA",
                             "ATUCOM", "IMP"})
        if (EhDoTipo(nome, tipo)) return tipo;
    return "";
}

void VarreDirs(Contexto& ctx) {
    ctx.varredura.PastaMonitor = ctx.cfg.txtPasta;
    std::vector<std::string> nomes;
    PassoDoPedido(ctx, "", [&] { nomes = ListaPorPadrao(ctx.arquivos, ctx.varredura.PastaMonitor, "*.txt"); });
    ctx.timer1.desliga();
    for (const std::string& nome : nomes) {
        ctx.varredura.ArqAtual = Junta(ctx.varredura.PastaMonitor, nome);
        const std::string tipo = TipoDoPedido(nome);
        if (tipo.empty() || !Completo(ctx, nome, tipo)) continue;
        Unidade(ctx, nome);
    }
    const std::set<std::string> presentes(nomes.begin(), nomes.end());
    EsqueceAusentes(ctx.varredura.incompletos, presentes);
    EsqueceAusentes(ctx.varredura.recusas, presentes);

    // Documents that a printer refused and that wait on their own.
    Verificacao(ctx, [&] { Chama(ctx.procs.ImprimePendentes); });
    Verificacao(ctx, [&] { Chama(ctx.procs.VerificaTablet, ctx.varredura.PastaMonitor); });
    Verificacao(ctx, [&] { Chama(ctx.procs.VerificaDelivery, ctx.varredura.PastaMonitor); });
    Verificacao(ctx, [&] {
        if (ctx.cfg.AutoImpressao) Chama(ctx.procs.VerificaPendentes);
    });
    Verificacao(ctx, [&] {
        if (ctx.cfg.AutoRecebFinal > 0) Chama(ctx.procs.VerificaRecebComanda);
    });
    ctx.timer1.liga();
}

}  // namespace varelo
