#include "export/consumption.h"

#include <set>
#include <vector>

#include "base/errors.h"
#include "base/step.h"
#include "base/event_list.h"
#include "base/file_patterns.h"
#include "base/files.h"
#include "base/regional.h"
#include "base/text_columns.h"
#include "core/account_totals.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "core/replies.h"
#include "db/banco.h"
#include "db/sql.h"
#include "export/handheld_file.h"
#include "export/pending_exports.h"

namespace varelo {
namespace {

constexpr std::size_t kLargura = 27;
constexpr std::size_t kLarguraValor = 19;  // after an 8-character label
constexpr std::size_t kLarguraDescricao = 12;

std::string NomeArquivo(const std::string& comanda) { return "ConsumoComanda" + comanda + ".txt"; }

std::string LinhaItem(Dinheiro qtde, const std::string& descricao, Dinheiro unitario, Dinheiro total) {
    return Formata(qtde, "00") + " " + CompletaAte(Esquerda(Apara(descricao), kLarguraDescricao), kLarguraDescricao) +
           " " + Formata(unitario, "#,##0.00") + " " + Formata(total, "#,##0.00");
}

std::string LinhaTotal(const std::string& rotulo, Dinheiro valor) {
    return rotulo + Pad(Formata(valor, "###,##0.00"), kLarguraValor);
}

// The description of the product of the current item row, looked up in rs3.
std::string Descricao(Banco& b, const std::string& idProduto) {
    b.AbreBanco3("Select * from Produtos where codigo = " + idProduto);
    std::string descricao = kProdutoNaoEncontrado;
    if (!b.rs3().eof()) descricao = b.rs3().textoOuVazio("descricao");
    b.FechaBanco3();
    return descricao;
}

// The item lines of the comanda whose items are in rs2; returns the
// subtotal. Without grouping every row is a line; with grouping each run of
// consecutive rows of one product (codes compared as text) is one line, the
// quantities summed and priced at the run's last unit price. A row that
// cannot be read is named in the event list and left out.
Dinheiro LinhasItens(Contexto& ctx, ArquivoPalm& arq) {
    Banco& b = ctx.banco;
    Registros& itens = b.rs2();
    const bool agrupa = ctx.cfg.ResumoContaPalm != 0;
    Dinheiro subtotal;

    struct Grupo {
        bool aberto = false;
        std::string idProduto, descricao;
        Dinheiro qtde, valor;
    } grupo;
    auto fechaGrupo = [&] {
        if (!grupo.aberto) return;
        const Dinheiro total = grupo.qtde * grupo.valor;
        arq.linha(LinhaItem(grupo.qtde, grupo.descricao, grupo.valor, total));
        subtotal += total;
        grupo = Grupo();
    };

    for (; !itens.eof(); itens.proximo()) {
        Passo(ctx.eventos, [&] {
            // A null is an empty code (no product) or 0.
            const std::string idProduto = itens.textoOuVazio("idProduto");
            const std::string descricao =
                EhInteiroSql(idProduto) ? Descricao(b, idProduto) : std::string(kProdutoNaoEncontrado);
            const Dinheiro valor = DinheiroDaColuna(itens, "Valor").value_or(Dinheiro());
            const Dinheiro qtde = DinheiroDaColuna(itens, "Qtde").value_or(Dinheiro());
            if (!agrupa) {
                const Dinheiro total = valor * qtde;
                arq.linha(LinhaItem(qtde, descricao, valor, total));
                subtotal += total;
                return;
            }
            if (grupo.aberto && grupo.idProduto != idProduto) fechaGrupo();
            grupo.aberto = true;
            grupo.idProduto = idProduto;
            grupo.descricao = descricao;
            grupo.qtde += qtde;
            grupo.valor = valor;
        });
    }
    Passo(ctx.eventos, fechaGrupo);
    return subtotal;
}

// The statement of the comanda row in rs, replacing its file once whole.
// Returns the file's name.
std::string ExportaComanda(Contexto& ctx, const std::string& pasta) {
    Banco& b = ctx.banco;
    const std::string comanda = Apara(b.rs().texto("comanda"));
    const std::string nome = NomeArquivo(comanda);
    ArquivoPalm arq(ctx.arquivos, Junta(pasta, nome));

    b.AbreBanco2("Select * from ItemComanda where Comanda = " + comanda + " order by idProduto");
    Dinheiro subtotal;
    Passo(ctx.eventos, [&] { subtotal = LinhasItens(ctx, arq); });
    b.FechaBanco2();

    Dinheiro pago;
    b.AbreBanco2(SqlTotalPago(comanda));
    Passo(ctx.eventos, [&] { pago = LeTotalPago(b.rs2()); });
    b.FechaBanco2();

    const TaxasConfiguradas taxas = LeTaxasConfiguradas(ctx);
    Acrescimos acrescimos;
    Passo(ctx.eventos, [&] {
        acrescimos.servico = CalculaServico(taxas.servicoPercentual, subtotal);
        acrescimos = AcrescimosDaComanda(b.rs(), taxas.couvertPorPessoa, acrescimos.servico);
    });

    Passo(ctx.eventos, [&] {
        arq.linha(std::string(kLargura, '-'));
        arq.linha(LinhaTotal("Subtotal", subtotal));
        if (acrescimos.couvert > Dinheiro()) arq.linha(LinhaTotal("Couvert ", acrescimos.couvert));
        if (acrescimos.servico > Dinheiro())
            arq.linha(LinhaAlinhada("Servico " + TextoPadrao(taxas.servicoPercentual) + "%",
                                    Formata(acrescimos.servico, "###,##0.00"), kLargura));
        if (acrescimos.desconto > Dinheiro()) arq.linha(LinhaTotal("Desconto", acrescimos.desconto));
        if (pago > Dinheiro()) arq.linha(LinhaTotal("Valor PG", pago));
        arq.linha(LinhaTotal("TOTAL   ", TotalAPagar(subtotal, acrescimos, pago)));
    });

    ctx.eventos.AdicionaEvento("Exportando Comanda -> " + comanda);
    Passo(ctx.eventos, [&] { arq.fecha(); });
    return nome;
}

// Writes the statements of the rows of `sql`; returns the names written.
std::set<std::string> ExportaComandas(Contexto& ctx, const std::string& pasta, const std::string& sql) {
    Banco& b = ctx.banco;
    std::set<std::string> escritos;
    b.AbreBanco(sql);
    ctx.eventos.AdicionaEvento("Exportando consumos para " + pasta);
    for (; !b.rs().eof(); b.rs().proximo()) Passo(ctx.eventos, [&] { escritos.insert(ExportaComanda(ctx, pasta)); });
    b.FechaBanco();
    return escritos;
}

}  // namespace

void ExportaConsumos(Contexto& ctx, const std::string& PastaDest, const std::string& comanda) {
    if (ValorInicial(comanda) > 0) {
        // The number goes into the statement bare.
        if (!EhNumeroSql(comanda)) {
            ctx.eventos.AdicionaEvento("Número de comanda inválido: " + comanda);
            return;
        }
        const std::string nome = NomeArquivo(comanda);
        Retomavel(ctx, Junta(PastaDest, nome), [&ctx, PastaDest, comanda, nome] {
            const auto escritos =
                ExportaComandas(ctx, PastaDest, "Select * from Comanda where comanda=" + comanda + " order by Comanda");
            // A comanda that is no longer open loses its statement.
            if (!escritos.count(nome)) ApagaArquivo(ctx, Junta(PastaDest, nome));
        });
        return;
    }
    Retomavel(ctx, Junta(PastaDest, NomeArquivo("*")), [&ctx, PastaDest] {
        std::vector<std::string> antigos;
        Passo(ctx.eventos, [&] { antigos = ListaPorPadrao(ctx.arquivos, PastaDest, "ConsumoComanda*.*"); });
        const auto escritos = ExportaComandas(ctx, PastaDest, "Select * from Comanda order by Comanda");
        // The statements of comandas no longer open go; a file that cannot
        // go is named in the event list and the others still go.
        for (const std::string& nome : antigos)
            if (!escritos.count(nome)) Passo(ctx.eventos, [&] { ctx.arquivos.apaga(Junta(PastaDest, nome)); });
    });
}

}  // namespace varelo
