#include "printing/bill.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/errors.h"
#include "base/event_list.h"
#include "base/money.h"
#include "base/printing_system.h"
#include "base/record.h"
#include "base/regional.h"
#include "base/step.h"
#include "base/text_columns.h"
#include "core/account_totals.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "core/replies.h"
#include "core/user_settings.h"
#include "db/banco.h"
#include "db/sql.h"
#include "printing/document.h"
#include "printing/layout.h"
#include "printing/print_transaction.h"

namespace varelo {
namespace {

// The bill fills its printer's line but for two columns (46 of 48); the
// item line's columns after the description take 23 of them.
constexpr std::size_t kMargem = 2;
constexpr std::size_t kColunasDoValor = 23;

std::string Moeda(Dinheiro valor) { return Formata(valor, "###,##0.00"); }

// A stored date-time ("2024-03-05 19:30:05", or a date alone) as
// "05/03/2024 19:30:05"; a null is the empty text.
std::string DataHoraDoBanco(const std::optional<std::string>& valor) {
    if (!valor) return "";
    DataHora d;
    char resto = 0;
    const int lidos = std::sscanf(valor->c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &d.ano, &d.mes,
                                  &d.dia, &d.hora, &d.minuto, &d.segundo, &resto);
    // A fraction of a second after the seconds is allowed and dropped.
    if ((lidos != 3 && lidos < 6) || (lidos == 7 && resto != '.'))
        throw Erro("Tipo incompatível: " + *valor);
    return DataDDMMAAAA(d) + " " + HoraTexto(d);
}

// True when a product's servico mark is 0: its lines count toward the
// service charge. A null mark does not.
bool EntraNoServico(const std::optional<std::string>& servico) {
    if (!servico) return false;
    return DinheiroDoBanco(*servico).ehZero();
}

// The product code of an item row, checked before it goes bare into SQL;
// empty for an item without one (a null).
std::string CodigoProduto(const Registros& itens) {
    const std::string codigo = itens.textoOuVazio("idProduto");
    if (!codigo.empty() && !EhInteiroSql(codigo)) throw Erro("Código de produto inválido: " + codigo);
    return codigo;
}

// The bill being composed: its lines, handed to the printer whole once the
// last is known.
class Conta {
public:
    explicit Conta(int colunas) : largura(std::max<std::size_t>(colunas, kMargem + kColunasDoValor + 6) - kMargem) {}

    void linha(const std::string& texto) { linhas_.push_back(texto); }
    std::vector<std::string>& linhas() { return linhas_; }
    void tracos() { linha(std::string(largura, '-')); }
    // A label and a total right-aligned to the bill's last column.
    void total(const std::string& rotulo, Dinheiro valor) {
        linha(rotulo + Pad(Moeda(valor), largura > rotulo.size() ? largura - rotulo.size() : 0));
    }
    // One item line: the description in what the other columns leave (23
    // of 46), quantity in 5, "x ", unit price in 6 and line total in 8. A
    // value wider than its column is printed whole and pushes the rest of
    // the line to the right; no digit is ever cut.
    void item(const std::string& descricao, Dinheiro qtde, Dinheiro unitario, Dinheiro total) {
        const std::size_t colunaDescricao = largura - kColunasDoValor;
        linha(CompletaAte(Esquerda(descricao, colunaDescricao), colunaDescricao) + " " + Pad(TextoPadrao(qtde), 5) +
              "x " + Pad(Formata(unitario, "##,##0.00"), 6) + " " + Pad(Formata(total, "##,##0.00"), 8));
    }

    const std::size_t largura;

private:
    std::vector<std::string> linhas_;
};

// Header lines, from the company settings and the comanda row in rs.
void Cabecalho(Contexto& ctx, Conta& conta, const Registros& comanda) {
    const Empresa& e = ctx.cfg.empresa;
    const DataHora agora = ctx.relogio.agora();
    conta.linha(Apara(e.Nome));
    conta.linha(Apara(e.Endereco));
    conta.linha(Apara(e.Cidade) + " - " + Apara(e.UF));
    conta.linha("Venda No  " + comanda.textoOuVazio("idPedido"));
    conta.linha(DataDDMMAAAA(agora) + " - " + HoraTexto(agora));
    conta.linha("Comanda:  " + comanda.textoOuVazio("comanda"));
    conta.linha("Chegada : " + DataHoraDoBanco(comanda.campo("inicio")));
    conta.linha("Saida:    " + DataDDMMAAAA(agora) + " " + HoraTexto(agora));
    conta.tracos();
    conta.linha(CompletaAte("Descricao", conta.largura - 21) + "QTDExUNIT       VALOR");
    conta.tracos();
}

struct Itens {
    Dinheiro subtotal;
    Dinheiro baseServico;  // line totals of the products that take service
};

// The description and service mark of the products of comanda `n`'s items,
// read once into rs2 (the first row of a code wins).
struct Produto {
    std::string descricao;
    std::optional<std::string> servico;
};
std::map<std::string, Produto> ProdutosDosItens(Banco& b, const std::string& n) {
    std::map<std::string, Produto> produtos;
    b.AbreBanco2("Select Codigo, Descricao, servico from Produtos where Codigo in "
                 "(Select idProduto from ItemComanda where comanda = " + n + ")");
    for (Registros& p = b.rs2(); !p.eof(); p.proximo())
        produtos.emplace(p.texto("Codigo"), Produto{p.textoOuVazio("descricao"), p.campo("servico")});
    b.FechaBanco2();
    return produtos;
}

// The item lines of comanda `n` from the rows in rs, ordered by product. Consecutive rows
// of one product at one unit price are one line with their quantities
// summed; the same product at another price, or after another product, is a
// line of its own.
Itens LinhasItens(Contexto& ctx, Conta& conta, const std::string& n) {
    Banco& b = ctx.banco;
    Registros& rs = b.rs();
    const std::map<std::string, Produto> produtos = ProdutosDosItens(b, n);
    Itens itens;
    Dinheiro somaQtde;
    while (!rs.eof()) {
        const std::string codigo = CodigoProduto(rs);
        const Dinheiro qtde = DinheiroDaColuna(rs, "Qtde").value_or(Dinheiro());

        std::string descricao = kProdutoNaoEncontrado;
        // An item whose product is gone has no service mark and is left out
        // of the service base.
        bool entraServico = false;
        if (const auto p = produtos.find(codigo); p != produtos.end()) {
            descricao = p->second.descricao;
            entraServico = EntraNoServico(p->second.servico);
        }

        const Dinheiro unitario = DinheiroDaColuna(rs, "Valor").value_or(Dinheiro());
        rs.proximo();
        somaQtde += qtde;
        if (!rs.eof() && rs.textoOuVazio("idProduto") == codigo &&
            DinheiroDaColuna(rs, "Valor").value_or(Dinheiro()) == unitario)
            continue;

        // Priced in doubles and kept at the precision of its text form, as
        // the order system's other programs total a line.
        const Dinheiro total = LeDinheiro(TextoPadrao(somaQtde.toDouble() * unitario.toDouble()));
        itens.subtotal += total;
        if (entraServico) itens.baseServico += total;
        conta.item(descricao, somaQtde, unitario, total);
        somaQtde = Dinheiro();
    }
    return itens;
}

// The payments block, read into rs2 while rs keeps the comanda row.
void LinhasPagamentos(Contexto& ctx, Conta& conta, const std::string& n) {
    Banco& b = ctx.banco;
    b.AbreBanco2("Select * from pagamentos where Comanda = " + n);
    for (Registros& p = b.rs2(); !p.eof(); p.proximo()) {
        const Dinheiro valor = DinheiroDaColuna(p, "Valor").value_or(Dinheiro());
        conta.linha(LinhaAlinhada(p.textoOuVazio("tipo"), Moeda(valor), conta.largura));
    }
    b.FechaBanco2();
}

// The occupants line: the number of people and each one's share of what is
// still due. With no one (0 or less) there is no share to show.
std::string LinhaOcupantes(Dinheiro ocupantes, Dinheiro totalAPagar) {
    std::string linha = "Ocupantes: " + TextoPadrao(ocupantes);
    if (ocupantes > Dinheiro())
        linha += "  Valor por pessoa: " + Moeda(Dinheiro::deDouble(totalAPagar / ocupantes));
    return linha;
}

// Composes the bill; false when the comanda has no row (nothing to print).
bool ComponhaConta(Contexto& ctx, Conta& conta, const std::string& n, const std::string& pedidoConta) {
    Banco& b = ctx.banco;
    Registros& rs = b.rs();

    // A card marked "N" takes no service charge.
    bool cobraServico = true;
    b.AbreBanco("select * from cadcomanda where numero = " + n);
    if (!rs.eof()) cobraServico = rs.campo("TaxaServico") != std::optional<std::string>("N");
    b.FechaBanco();

    b.AbreBanco(SqlTotalPago(n));
    const Dinheiro pago = LeTotalPago(rs);
    b.FechaBanco();

    b.AbreBanco("Select * from Comanda where comanda = " + n);
    if (rs.eof()) {
        b.FechaBanco();
        return false;
    }
    Cabecalho(ctx, conta, rs);
    b.FechaBanco();

    b.AbreBanco("Select * from ItemComanda where comanda = " + n + " Order by idProduto");
    const Itens itens = LinhasItens(ctx, conta, n);

    TaxasConfiguradas taxas = LeTaxasConfiguradas(ctx);
    const Dinheiro servicoCalculado = CalculaServico(taxas.servicoPercentual, itens.baseServico);
    b.FechaBanco();

    b.AbreBanco("Select * from Comanda where comanda = " + n);
    Acrescimos a = AcrescimosDaComanda(rs, taxas.couvertPorPessoa, servicoCalculado);
    if (!cobraServico) {
        a.servico = Dinheiro();
        taxas.servicoPercentual = Dinheiro();
    }
    const Dinheiro total = TotalAPagar(itens.subtotal, a, Dinheiro());
    const Dinheiro totalAPagar = TotalAPagar(itens.subtotal, a, pago);

    conta.tracos();
    conta.total("Subtotal", itens.subtotal);
    if (a.couvert > Dinheiro()) conta.total("Couvert ", a.couvert);
    // Also shown when only the comanda's own service value is charged, so
    // that every amount in the total has its line.
    if (taxas.servicoPercentual > Dinheiro() || a.servico > Dinheiro())
        conta.linha(LinhaAlinhada("Servico            " + TextoPadrao(taxas.servicoPercentual) + "%",
                                  Moeda(a.servico), conta.largura));
    if (a.desconto > Dinheiro()) conta.total("Desconto", a.desconto);
    if (pago > Dinheiro()) {
        conta.total("TOTAL   ", total);
        conta.linha("");
        conta.linha("PAGAMENTOS: ");
        LinhasPagamentos(ctx, conta, n);
        conta.total("TOTAL PAGO", pago);
    }
    conta.tracos();
    conta.total("TOTAL A PAGAR", totalAPagar);

    conta.linha(" ");
    if (const auto ocupantes = DinheiroDaColuna(rs, "ocupantes"))
        conta.linha(LinhaOcupantes(*ocupantes, totalAPagar));
    if (!pedidoConta.empty()) {
        conta.linha("Pedido de conta feito por ");
        conta.linha("Garcon   : " + pedidoConta);
    } else {
        conta.linha("Garcon   : " + rs.textoOuVazio("Garcon"));
    }
    conta.linha("");
    conta.tracos();
    for (const char* texto : {"Este cupom não tem valor fiscal", "Obrigado pela Preferencia", "Volte sempre"}) {
        std::int16_t largura = static_cast<std::int16_t>(conta.largura);
        conta.linha("");
        conta.linha(Centraliza(texto, largura));
    }
    b.FechaBanco();

    conta.linha(std::string(conta.largura + kMargem, '-'));
    conta.linha("Varelo Tecnologia - " + ctx.cfg.Site);
    for (std::int32_t i = 0; i < ctx.cfg.LinhaFim; ++i) conta.linha(" ");
    return true;
}

// Hands the bill over with the comanda's closing marks.
ResultadoConta EntregaConta(Contexto& ctx, Conta& conta, const std::string& impressora, const std::string& n,
                       const std::string& caminho, const std::string& marcaExtra) {
    // A bill asked by a request file is a repeat if printed again while the
    // file is there: its mark is the removal of the file, made here.
    const std::vector<std::string> chaves = {caminho.empty() ? ChaveImpressao("conta", n) : ChavePedido(ctx, caminho)};
    TransacaoImpressao t(ctx);
    Documento documento{impressora, Documento::Fonte::Conta, std::move(conta.linhas())};
    if (t.reimpressao(chaves)) documento.linhas.insert(documento.linhas.begin(), kReimpressao);
    std::string motivo;
    if (!t.entrega(chaves, [&](std::string& m) { return Entrega(ctx, documento, m); }, motivo)) {
        ctx.eventos.AdicionaEvento("Conta não aceita pela impressora " + impressora + ": " + motivo);
        return ResultadoConta::Recusada;
    }
    ctx.banco.AbreBanco("Update Comanda Set Status=1 where comanda = " + n);
    ctx.banco.FechaBanco();
    if (!marcaExtra.empty()) {
        ctx.banco.AbreBanco(marcaExtra);
        ctx.banco.FechaBanco();
    }
    t.confirma(caminho.empty());
    ctx.eventos.AdicionaEvento("Fim da impressao da conta " + n);
    if (!caminho.empty()) {
        ApagaArquivo(ctx, caminho);
        EsqueceSeApagado(ctx, caminho, chaves.front());
    }
    return ResultadoConta::Impressa;
}

}  // namespace

ResultadoConta FechaConta(Contexto& ctx, std::int32_t comanda, const std::string& caminho,
                          const std::string& marcaExtra) {
    const std::string n = std::to_string(comanda);
    // Who asked for the bill; LeArquivo retries by itself and never throws.
    const std::string pedidoConta =
        caminho.empty() ? std::string() : LeArquivo(ctx.arquivos, ctx.relogio, caminho);
    ResultadoConta resultado = ResultadoConta::NaoImpressa;
    Passo([&] {
        ctx.eventos.AdicionaEvento("Iniciando impressao da conta " + n);
        const std::string impressora =
            LeRegistro(ctx, kAplicacao, kSecaoRegistro, "ImpCupom", kNaoImprimir);
        if (impressora == kNaoImprimir) return;
        Conta conta(ctx.impressao.colunas(impressora));
        if (!ComponhaConta(ctx, conta, n, pedidoConta)) return;
        resultado = EntregaConta(ctx, conta, impressora, n, caminho, marcaExtra);
    }, [&](const Erro& e) {
        ctx.eventos.AdicionaEvento(std::string("Erro fechamento conta: ") + e.what());
        FechaBancosAposImpressao(ctx.eventos, ctx.banco);
    });
    return resultado;
}

}  // namespace varelo
