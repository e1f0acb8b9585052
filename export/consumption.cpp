#include "export/consumption.h"

#include <map>
#include <optional>
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

// What the statements of one call read once for all their comandas: the
// descriptions of their items' products (the first row of a code wins) and
// the sums of their payments (null for a null sum), by number.
struct Leituras {
    std::map<std::string, std::string> descricoes;
    std::map<std::string, std::optional<std::string>> pagos;
};

// `comandas` is the condition on ItemComanda's or pagamentos' comanda that
// selects the call's comandas.
Leituras LeUmaVez(Banco& b, const std::string& comandas) {
    Leituras l;
    b.AbreBanco3("Select codigo, descricao from Produtos where codigo in "
                 "(Select idProduto from ItemComanda where Comanda " + comandas + ")");
    for (; !b.rs3().eof(); b.rs3().proximo())
        l.descricoes.emplace(b.rs3().texto("codigo"), b.rs3().textoOuVazio("descricao"));
    b.AbreBanco3("Select comanda, sum(valor) as TotalPago from pagamentos where comanda " + comandas +
                 " group by comanda");
    for (; !b.rs3().eof(); b.rs3().proximo()) l.pagos.emplace(b.rs3().texto("comanda"), b.rs3().campo("TotalPago"));
    b.FechaBanco3();
    return l;
}

// The item lines of `comanda`, whose rows are the next ones of rs2 (the
// items of every comanda of the call, by comanda); returns the subtotal.
// Without grouping every row is a line; with grouping each run of
// consecutive rows of one product (codes compared as text) is one line, the
// quantities summed and priced at the run's last unit price. A row that
// cannot be read is named in the event list and left out.
Dinheiro LinhasItens(Contexto& ctx, ArquivoPalm& arq, const std::string& comanda, const Leituras& lidas) {
    Registros& itens = ctx.banco.rs2();
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

    for (; !itens.eof() && itens.texto("Comanda") == comanda; itens.proximo()) {
        Passo(ctx.eventos, [&] {
            // A null is an empty code (no product) or 0.
            const std::string idProduto = itens.textoOuVazio("idProduto");
            const auto produto = lidas.descricoes.find(idProduto);
            const std::string descricao =
                produto == lidas.descricoes.end() ? std::string(kProdutoNaoEncontrado) : produto->second;
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
std::string ExportaComanda(Contexto& ctx, const std::string& pasta, const Leituras& lidas) {
    Banco& b = ctx.banco;
    const std::string comanda = Apara(b.rs().texto("comanda"));
    const std::string nome = NomeArquivo(comanda);
    ArquivoPalm arq(ctx.arquivos, Junta(pasta, nome));

    // Items of comandas before this one were left by a row that failed.
    while (!b.rs2().eof() && std::stoll(b.rs2().texto("Comanda")) < std::stoll(comanda)) b.rs2().proximo();
    Dinheiro subtotal;
    Passo(ctx.eventos, [&] { subtotal = LinhasItens(ctx, arq, comanda, lidas); });

    Dinheiro pago;
    Passo(ctx.eventos, [&] {
        const auto soma = lidas.pagos.find(comanda);
        if (soma != lidas.pagos.end() && soma->second) pago = DinheiroDoBanco(*soma->second);
    });

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

// Writes the statements of the comandas of `sql` (by number), which
// `condicao` selects from the other tables ("= 7", "in (Select ...)");
// returns the names written. Each table is read once for all of them: their
// items by comanda (ties of a product in the order they were launched),
// products and payments.
std::set<std::string> ExportaComandas(Contexto& ctx, const std::string& pasta, const std::string& sql,
                                      const std::string& condicao) {
    Banco& b = ctx.banco;
    std::set<std::string> escritos;
    b.AbreBanco(sql);
    ctx.eventos.AdicionaEvento("Exportando consumos para " + pasta);
    if (!b.rs().eof()) {  // no comanda: nothing else to read
        const Leituras lidas = LeUmaVez(b, condicao);
        b.AbreBanco2("Select * from ItemComanda where Comanda " + condicao + " order by Comanda, idProduto, idlanc");
        for (; !b.rs().eof(); b.rs().proximo())
            Passo(ctx.eventos, [&] { escritos.insert(ExportaComanda(ctx, pasta, lidas)); });
        b.FechaBanco2();
    }
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
            const auto escritos = ExportaComandas(
                ctx, PastaDest, "Select * from Comanda where comanda=" + comanda + " order by Comanda", "= " + comanda);
            // A comanda that is no longer open loses its statement.
            if (!escritos.count(nome)) ApagaArquivo(ctx, Junta(PastaDest, nome));
        });
        return;
    }
    Retomavel(ctx, Junta(PastaDest, NomeArquivo("*")), [&ctx, PastaDest] {
        std::vector<std::string> antigos;
        Passo(ctx.eventos, [&] { antigos = ListaPorPadrao(ctx.arquivos, PastaDest, "ConsumoComanda*.*"); });
        const auto escritos = ExportaComandas(ctx, PastaDest, "Select * from Comanda order by Comanda",
                                              "in (Select Comanda from Comanda)");
        // The statements of comandas no longer open go; a file that cannot
        // go is named in the event list and the others still go.
        for (const std::string& nome : antigos)
            if (!escritos.count(nome)) Passo(ctx.eventos, [&] { ctx.arquivos.apaga(Junta(PastaDest, nome)); });
    });
}

}  // namespace varelo
