#include "transactions/scan.h"

#include <cctype>
#include <cstdint>
#include <functional>
#include <string>

#include "app/activity_log.h"
#include "app/context.h"
#include "app/errors.h"
#include "app/file_patterns.h"
#include "app/platform.h"
#include "app/regional.h"
#include "transactions/inclusion.h"
#include "transactions/replies.h"

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
// is not tried again; then the scan goes on with the next step. A database
// failure is not handled here: it ends the whole scan.
void Passo(Contexto& ctx, const std::string& nomeAtual, const std::function<void()>& passo) {
    auto apagaAtual = [&] {
        if (!nomeAtual.empty()) ApagaArquivo(ctx, Junta(ctx.PastaMonitor, nomeAtual));
    };
    try {
        passo();
    } catch (const ErroBanco&) {
        throw;
    } catch (const Erro& e) {
        if (e.numero() == Erro::kAcessoArquivo) {
            AdicionaEvento(ctx, "Erro de acesso a arquivo / Pasta");
        } else {
            AdicionaEvento(ctx, e.what());
            apagaAtual();
        }
    } catch (const std::exception& e) {
        AdicionaEvento(ctx, e.what());
        apagaAtual();
    }
}

void DefineComandaAtual(Contexto& ctx, const Pedido& p) {
    ctx.ComandaAtual = ParaInteiro16(p.numero);
}

void Inclusao(Contexto& ctx, const Pedido& p) {
    const std::string& caminho = ctx.ArqAtual;
    Passo(ctx, p.nome, [&] { DefineComandaAtual(ctx, p); });
    Passo(ctx, p.nome, [&] {
        if (ctx.ComandaAtual > 0) Chama(ctx.procs.InclueItem, caminho);
        else ApagaArquivo(ctx, caminho);
    });
    Passo(ctx, p.nome, [&] {
        if (ArquivoExiste(ctx, caminho)) {
            AdicionaEvento(ctx, "Inclusao ainda existe: Tentando apagar novamente");
            Espera(ctx, 0.5f);
            ApagaArquivo(ctx, caminho);
        }
    });
    Passo(ctx, p.nome, [&] {
        if (ArquivoExiste(ctx, caminho)) {
            AdicionaEvento(ctx, "Inclusao ainda existe: Tentando apagar novamente 2");
            Espera(ctx, 0.5f);
            ApagaArquivo(ctx, caminho);
        }
    });
    Passo(ctx, p.nome, [&] { EsqueceInclusaoApagada(ctx, caminho); });
    Passo(ctx, p.nome, [&] { Chama(ctx.procs.ExportaConsumos, ctx.PastaMonitor, p.numero); });
}

void Exclusao(Contexto& ctx, const Pedido& p) {
    Passo(ctx, p.nome, [&] { DefineComandaAtual(ctx, p); });
    Passo(ctx, p.nome, [&] { ApagaArquivo(ctx, ctx.ArqAtual); });
    Passo(ctx, p.nome, [&] { GravaErro(ctx, std::to_string(ctx.ComandaAtual)); });
    Passo(ctx, p.nome, [&] { Chama(ctx.procs.ExportaConsumos, ctx.PastaMonitor, p.numero); });
}

// PRINTM and PRINTD: print, delete, a short pause for the printer, log row.
void Impressao(Contexto& ctx, const Pedido& p,
               const std::function<void(std::int32_t)>& imprime, const std::string& textoLog) {
    Passo(ctx, p.nome, [&] { DefineComandaAtual(ctx, p); });
    Passo(ctx, p.nome, [&] { Chama(imprime, ParaInteiro32(p.numero)); });
    Passo(ctx, p.nome, [&] { ApagaArquivo(ctx, ctx.ArqAtual); });
    Passo(ctx, p.nome, [&] {
        AdicionaEvento(ctx, "Esperando 1s ...");
        Espera(ctx, 0.5f);
    });
    Passo(ctx, p.nome, [&] { GravaLog(ctx, textoLog + p.numero, "OPERACAO", "PALM"); });
}

void FechamentoConta(Contexto& ctx, const Pedido& p) {
    Passo(ctx, p.nome, [&] { DefineComandaAtual(ctx, p); });
    Passo(ctx, p.nome,
          [&] { Chama(ctx.procs.FechaConta, ParaInteiro32(p.numero), ctx.ArqAtual); });
    Passo(ctx, p.nome, [&] { ApagaArquivo(ctx, ctx.ArqAtual); });
    Passo(ctx, p.nome, [&] { GravaLog(ctx, "PALM Fecha Conta " + p.numero, "OPERACAO", "PALM"); });
}

void Despacha(Contexto& ctx, const std::string& nome) {
    auto pedido = [&](std::size_t k) { return Pedido{nome, TextoNumero(nome, k)}; };
    if (EhDoTipo(nome, "INCLUSAO")) {
        Inclusao(ctx, pedido(8));
    } else if (EhDoTipo(nome, "EXCLUSAO")) {
        Exclusao(ctx, pedido(8));
    } else if (EhDoTipo(nome, "PRINTM")) {
        Impressao(ctx, pedido(6), ctx.procs.ImprimeCupom, "PALM Imprimiu itens mesa ");
    } else if (EhDoTipo(nome, "PRINTD")) {
        Impressao(ctx, pedido(6), ctx.procs.ImprimeDelivery, "PALM Imprimiu itens Delivery ");
    } else if (EhDoTipo(nome, "FECHACONTA")) {
        FechamentoConta(ctx, pedido(10));
    } else if (EhDoTipo(nome, "FECHACOMANDA")) {
        const Pedido p = pedido(12);
        Passo(ctx, nome, [&] { DefineComandaAtual(ctx, p); });
        Passo(ctx, nome, [&] { ApagaArquivo(ctx, ctx.ArqAtual); });
    } else if (EhDoTipo(nome, "ATUALIZA")) {
        const Pedido p = pedido(8);
        Passo(ctx, nome, [&] { DefineComandaAtual(ctx, p); });
        Passo(ctx, nome, [&] {
            Chama(ctx.procs.ExportaConsumos, ctx.PastaMonitor, std::to_string(ctx.ComandaAtual));
        });
        Passo(ctx, nome, [&] { ApagaArquivo(ctx, ctx.ArqAtual); });
    } else if (EhDoTipo(nome, "ATUCOM")) {
        Passo(ctx, nome, [&] { Chama(ctx.procs.ExportaComandas, ctx.PastaMonitor); });
        Passo(ctx, nome, [&] { ApagaArquivo(ctx, ctx.ArqAtual); });
    } else if (EhDoTipo(nome, "IMP")) {
        Passo(ctx, nome, [&] { Chama(ctx.procs.ImprimeDiverso, ctx.ArqAtual); });
        Passo(ctx, nome, [&] { ApagaArquivo(ctx, ctx.ArqAtual); });
    }
}

}  // namespace

void VarreDirs(Contexto& ctx) {
    ctx.PastaMonitor = ctx.cfg.txtPasta;
    std::vector<std::string> nomes;
    Passo(ctx, "", [&] { nomes = ListaPorPadrao(ctx.arquivos, ctx.PastaMonitor, "*.txt"); });
    ctx.timer1.desliga();
    for (const std::string& nome : nomes) {
        ctx.ArqAtual = Junta(ctx.PastaMonitor, nome);
        Despacha(ctx, nome);
    }
    Passo(ctx, "", [&] { Chama(ctx.procs.VerificaTablet, ctx.PastaMonitor); });
    Passo(ctx, "", [&] { Chama(ctx.procs.VerificaDelivery, ctx.PastaMonitor); });
    Passo(ctx, "", [&] {
        if (ctx.cfg.AutoImpressao) Chama(ctx.procs.VerificaPendentes);
    });
    Passo(ctx, "", [&] {
        if (ctx.cfg.AutoRecebFinal > 0) Chama(ctx.procs.VerificaRecebComanda);
    });
    ctx.timer1.liga();
}

}  // namespace varelo
