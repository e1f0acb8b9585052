#include "printing/layout.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/encoding.h"
#include "base/errors.h"
#include "base/event_list.h"
#include "base/files.h"
#include "base/lines.h"
#include "base/printing_system.h"
#include "base/regional.h"
#include "base/text_columns.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "core/replies.h"
#include "printing/document.h"
#include "printing/print_transaction.h"

namespace varelo {
namespace {

// Rounds halves to even, as the layout's width arithmetic does.
std::int16_t MetadePar(double valor) { return static_cast<std::int16_t>(std::nearbyint(valor)); }

bool FonteInstalada(SistemaImpressao& impressao, const std::string& nome) {
    const int n = impressao.quantidadeFontes();
    for (int i = 0; i < n; ++i)
        if (impressao.fonte(i) == nome) return true;
    return false;
}

// The name first: a size that is not a number stops after it, with size and
// bold as they were.
void AplicaFonteCozinha(Contexto& ctx) {
    ctx.impressao.defineNomeFonte(ctx.cfg.FonteCupomCozinha);
    ctx.impressao.defineTamanhoFonte(static_cast<float>(LeNumero(ctx.cfg.TamFonteCupomCozinha)));
    ctx.impressao.defineNegrito(true);
}

}  // namespace

void DefineImpressora(Contexto& ctx, const std::string& NomeImp) {
    try {
        for (const std::string& nome : ctx.impressao.impressoras()) {
            if (nome == NomeImp) {
                ctx.impressao.selecionaImpressora(nome);
                break;
            }
        }
        AplicaFonteCozinha(ctx);
    } catch (const Erro& e) {
        ctx.eventos.AdicionaEvento(e.what());
        ctx.eventos.AdicionaEvento("Erro definindo a Impressora padrão!");
    }
}

void FonteCozinha(Contexto& ctx) {
    if (FonteInstalada(ctx.impressao, ctx.cfg.FonteCupomCozinha)) AplicaFonteCozinha(ctx);
}

void FonteConta(Contexto& ctx) {
    if (!FonteInstalada(ctx.impressao, "Larabiefont")) return;
    ctx.impressao.defineNomeFonte("Larabiefont");
    ctx.impressao.defineTamanhoFonte(8);
    ctx.impressao.defineNegrito(true);
}

std::string Centraliza(const std::string& texto, std::int16_t& largura) {
    const auto comprimento = static_cast<std::int32_t>(Largura(texto));
    if (comprimento > largura) return texto;
    largura = MetadePar(largura / 2.0);
    const int espacos = largura - MetadePar(comprimento / 2.0);
    return std::string(static_cast<std::size_t>(std::max(espacos, 0)), ' ') + texto;
}

bool ImprimeDiverso(Contexto& ctx, const std::string& ArqImp) {
    try {
        ctx.eventos.AdicionaEvento("Gerando impressão para arquivo " + ArqImp);
        const std::string bytes = ctx.arquivos.le(ArqImp);
        if (bytes.size() <= 10) {
            ctx.eventos.AdicionaEvento("Arquivo de Impressao Vazio " + ArqImp);
            return true;
        }
        const std::vector<std::string> linhas = LinhasDoTexto(DeCp1252(bytes));
        Documento documento{linhas.front(), Documento::Fonte::Cozinha,
                            std::vector<std::string>(linhas.begin() + 1, linhas.end())};
        // Its mark is the removal of its file: a file printed and found again
        // (the program stopped, the removal failed) is printed as a repeat.
        const std::vector<std::string> chaves = {ChavePedido(ctx, ArqImp)};
        TransacaoImpressao t(ctx, false);
        if (t.reimpressao(chaves)) documento.linhas.insert(documento.linhas.begin(), kReimpressao);
        std::string motivo;
        if (!t.entrega(chaves, [&](std::string& m) { return Entrega(ctx, documento, m); }, motivo)) {
            // Left in the folder: printed once the printer takes jobs again.
            ctx.eventos.AdicionaEvento("Impressão não aceita pela impressora " + documento.impressora + ": " + motivo);
            return false;
        }
        ctx.eventos.AdicionaEvento("Impressão finalizada " + ArqImp);
        ApagaArquivo(ctx, ArqImp);
        EsqueceSeApagado(ctx, ArqImp, chaves.front());
        return true;
    } catch (const Erro& e) {
        ctx.eventos.AdicionaEvento(e.what());
    }
    ApagaArquivo(ctx, ArqImp);
    return true;
}

}  // namespace varelo
