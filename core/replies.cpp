#include "core/replies.h"

#include <cctype>

#include "base/encoding.h"
#include "base/errors.h"
#include "base/event_list.h"
#include "base/files.h"
#include "base/lines.h"
#include "base/platform.h"
#include "base/regional.h"
#include "core/activity_log.h"
#include "core/context.h"

namespace varelo {
namespace {

constexpr int kMaximoTentativas = 5;
constexpr const char* kSeparador = "-----------------------------";

// A reply that cannot be written logs the failure and then the write that
// could not follow it, and the program goes on.
void GravaResposta(Contexto& ctx, const std::string& nome, const std::string& conteudo) {
    const std::string caminho = Junta(ctx.cfg.txtPasta, nome);
    try {
        ctx.arquivos.grava(caminho, conteudo + "\r\n");
    } catch (const Erro& e) {
        ctx.eventos.AdicionaEvento(e.what());
        ctx.eventos.AdicionaEvento("Resposta não gravada: " + caminho);
    }
}

// A path as one word of a /bin/sh command line.
std::string AspasShell(const std::string& texto) {
    std::string saida = "'";
    for (char c : texto) {
        if (c == '\'') saida += "'\\''";
        else saida += c;
    }
    return saida + "'";
}

bool Apaga(Contexto& ctx, const std::string& tNome, int& tentativas);

// Why a script may not be run: anyone who writes to the shared folder could
// have put it there. Empty when the user the commands run as, or root, owns
// it and nobody else may write it.
std::string MotivoDeRecusa(const Posse& posse, unsigned usuarioDoPrograma) {
    if (!posse.comum) return "não é um arquivo comum";
    if (posse.dono != 0 && posse.dono != usuarioDoPrograma)
        return "o dono é o usuário " + std::to_string(posse.dono) + ", não root nem o usuário do programa";
    if (posse.modo & 022) return "outros usuários podem alterá-lo (permissões " + TextoPermissoes(posse.modo) + ")";
    return "";
}

// The site's arqrede.bat, run only when a stranger cannot have written it.
// The text run is the one read through the descriptor that was checked.
void RodaArqRede(Contexto& ctx) {
    const std::string script = Junta(ctx.varredura.PastaMonitor, "arqrede.bat");
    if (!ArquivoExiste(ctx.arquivos, script)) return;
    try {
        Posse posse;
        const std::string texto = ctx.arquivos.leSemLink(script, posse);
        const std::string motivo = MotivoDeRecusa(posse, ctx.executor.usuario());
        if (!motivo.empty()) {
            ctx.eventos.AdicionaEvento("arqrede.bat recusado: " + motivo);
            return;
        }
        ctx.executor.executaEEspera(texto);
    } catch (const Erro& e) {
        ctx.eventos.AdicionaEvento(e.what());
    }
}

// Runs the site's arqrede.bat, reads the list of files opened over the
// network from abertos.err and has "Net files <id> /close" release the
// handles on this file, then tries the deletion once more.
bool ApagaArqRede(Contexto& ctx, const std::string& f, int& tentativas) {
    ctx.eventos.AdicionaEvento("Fechando o arquivo " + f + " da rede para apagar");
    RodaArqRede(ctx);
    const std::string lista = Junta(ctx.varredura.PastaMonitor, "abertos.err");
    if (!ArquivoExiste(ctx.arquivos, lista)) {
        ctx.eventos.AdicionaEvento("Não foi possivel apagar o arquivo da rede");
        return false;
    }
    try {
        long identificador = 0;
        const std::string fim = f.size() > 8 ? f.substr(f.size() - 8) : f;
        std::string net;
        for (const std::string& linha : LinhasDoTexto(DeCp1252(ctx.arquivos.le(lista)))) {
            if (linha.find(fim) == std::string::npos) continue;
            identificador = ParaInteiro32(linha.substr(0, 6));
            if (net.empty()) net = ctx.executor.localiza("Net", ctx.varredura.PastaMonitor);
            if (net.empty()) {
                ctx.eventos.AdicionaEvento("Comando Net não encontrado no PATH");
                break;
            }
            ctx.executor.executaEEspera(AspasShell(net) + " files " + std::to_string(identificador) + " /close");
        }
        ctx.eventos.AdicionaEvento("Arquivo apagado da rede. Apagando do disco agora");
        if (identificador > 0) Apaga(ctx, f, tentativas);
        return true;
    } catch (const Erro& e) {
        ctx.eventos.AdicionaEvento(e.what());
        Espera(ctx.relogio, 1);
        return false;
    }
}

bool Apaga(Contexto& ctx, const std::string& tNome, int& tentativas) {
    bool falhou = false;
    if (ArquivoExiste(ctx.arquivos, tNome)) {
        ctx.eventos.AdicionaEvento("Tentando apagar " + tNome);
        ++tentativas;
        try {
            ctx.arquivos.apaga(tNome);
        } catch (const Erro&) {
            falhou = true;
        }
    }
    if (falhou) {
        if (tentativas < kMaximoTentativas) {
            Espera(ctx.relogio, 1);
            ApagaArqRede(ctx, tNome, tentativas);
            ctx.eventos.AdicionaEvento("Tentando apagar - arq rede " + tNome);
        }
    } else {
        ctx.eventos.AdicionaEvento(kSeparador);
    }
    ctx.timer1.liga();
    return false;
}

}  // namespace

void GravaOK(Contexto& ctx, const std::string& n) { GravaResposta(ctx, "okComanda" + n + ".txt", "ok"); }

void GravaErro(Contexto& ctx, const std::string& n) { GravaResposta(ctx, "erro" + n + ".txt", "erro"); }

bool ApagaArquivo(Contexto& ctx, const std::string& tNome) {
    int tentativas = 0;
    return Apaga(ctx, tNome, tentativas);
}

bool ArquivoExiste(Arquivos& arquivos, const std::string& caminho) {
    std::string p = caminho;
    if (!p.empty() && (p.back() == '/' || p.back() == '\\')) p.pop_back();
    try {
        return !arquivos.ehPasta(p) && arquivos.podeLer(p);
    } catch (const Erro&) {
        return false;
    }
}

}  // namespace varelo
