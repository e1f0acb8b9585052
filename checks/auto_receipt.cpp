#include "checks/auto_receipt.h"

#include <optional>
#include <string>

#include "base/event_list.h"
#include "base/money.h"
#include "base/regional.h"
#include "checks/check_support.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "db/banco.h"
#include "db/sql.h"

namespace varelo {

using namespace verificacoes;

void VerificaRecebComanda(Contexto& ctx) {
    Banco& b = ctx.banco;
    // A printed item left behind by a comanda that is gone would be picked
    // on every scan and could never be received: only open comandas count.
    b.AbreBanco("Select * from itemcomanda where impresso=1 and comanda in (select comanda from comanda)");
    if (b.rs().eof()) {
        b.FechaBanco();
        return;
    }
    const std::int32_t comanda = Inteiro32(b.rs(), "comanda");
    b.FechaBanco();
    const std::string textoComanda = std::to_string(comanda);

    b.AbreBanco("Select * from itemcomanda where comanda=" + textoComanda + " and impresso=0");
    if (!b.rs().eof()) {  // something is still waiting for the kitchen
        b.FechaBanco();
        return;
    }
    b.FechaBanco();
    Espera(ctx.relogio, 1.0f);
    ctx.eventos.AdicionaEvento("Começando auto recebimento da comanda " + textoComanda);
    AutoRecebComanda(ctx, comanda);
}

namespace {

// Quantity times unit price of an item row; a null in either adds nothing.
Dinheiro TotalDoItem(const Registros& r) {
    const auto qtde = r.campo("Qtde");
    const auto valor = r.campo("Valor");
    if (!qtde || !valor) return Dinheiro();
    return DinheiroDoBanco(*qtde) * DinheiroDoBanco(*valor);
}

}  // namespace

void AutoRecebComanda(Contexto& ctx, std::int32_t numComanda) {
    Banco& b = ctx.banco;
    const std::string n = std::to_string(numComanda);
    // The leaving time of the comanda and of each item: date and hh:mm.
    const DataHora agora = ctx.relogio.agora();
    const std::string textoAgora = DataAAAAMMDD(agora) + " " + HoraTexto(agora).substr(0, 5);

    Transacao transacao(b);

    // Read with locks, inside the transaction: what is received is exactly
    // what was read, and nothing launched meanwhile slips into the history
    // without reaching the kitchen.
    b.AbreBanco("Select * from Comanda where comanda=" + n + " for update");
    if (b.rs().eof()) {
        b.FechaBanco();
        return;
    }
    const std::string pedido = SqlInteiro(b.rs().campo("idPedido"));
    b.FechaBanco();

    b.AbreBanco("Select * from itemComanda where comanda=" + n + " for update");
    if (b.rs().eof()) {
        b.FechaBanco();
        return;
    }
    long long itens = 0;
    Dinheiro total;
    std::optional<std::string> ultimoLancador;
    for (Registros& r = b.rs(); !r.eof(); r.proximo(), ++itens) {
        // Launched while the receipt waited: not yet in the kitchen.
        if (ValorInicial(r.textoOuVazio("impresso")) == 0) {
            ctx.eventos.AdicionaEvento("Auto recebimento da comanda " + n + " adiado: item ainda não impresso");
            return;
        }
        const std::string sql =
            "INSERT INTO `mitemcomanda` (`idPedido`, `Comanda`, `idProduto`, `qtde`, `Valor`, "
            "`Custo`, `desconto`, `Unidade`, `OBS`, `idLanc`, `DataHora`, `DataHoraFim`, "
            "`Lancado`) VALUES   (" +
            pedido + "," + SqlInteiro(r.campo("comanda")) + "," + SqlInteiro(r.campo("idProduto")) +
            "," + SqlDinheiro(r.campo("Qtde")) + "," + SqlDinheiro(r.campo("Valor")) + "," +
            SqlDinheiro(r.campo("custo")) + "," + SqlDinheiro(r.campo("desconto")) + "," +
            SqlTexto(b, r.campo("Unidade")) + "," + SqlTexto(b, r.campo("obs")) + "," +
            SqlInteiro(r.campo("idlanc")) + "," + SqlDataHora(r.campo("datahora")) + ",'" +
            textoAgora + "'," + SqlTexto(b, r.campo("lancado")) + ")";
        ultimoLancador = r.campo("lancado");
        total += TotalDoItem(r);
        b.AbreBanco2(sql);
        b.FechaBanco2();
    }

    b.AbreBanco("Select * from Comanda where comanda=" + n);
    if (b.rs().eof()) {
        b.FechaBanco();
        return;
    }
    const Registros& c = b.rs();
    const std::string textoTotal = TextoDinheiroSql(total);
    const auto obs = c.campo("obs");
    const std::string sqlComanda =
        "INSERT INTO `mcomanda` (`idPedido`, `idCliente`, `Garcon`, `Comanda`, `Ocupantes`, "
        "`Desconto`, `Inicio`, `Final`, `Valor`, `ValorPg`, `Couvert`, `Servico`, `Fechamento`, "
        "`idLanc`, `Status`, `PG`, `Obs`, `Mesa`, `Vendedor`, `Caixa`) VALUES  (" +
        SqlInteiro(c.campo("idPedido")) + "," + SqlInteiro(c.campo("idcliente")) + "," +
        SqlTexto(b, c.campo("Garcon")) + "," + SqlInteiro(c.campo("comanda")) + "," +
        SqlInteiro(c.campo("ocupantes")) + "," + SqlDinheiro(c.campo("desconto")) + "," +
        SqlDataHora(c.campo("inicio")) + ",'" + textoAgora + "'," + textoTotal + "," +
        textoTotal + ",0,0,Null," + SqlInteiro(c.campo("idlanc")) + "," +
        SqlInteiro(c.campo("Status")) + ",0," + (obs ? SqlTexto(b, obs) : "''") + "," +
        SqlInteiro(c.campo("mesa")) + "," + SqlTexto(b, ultimoLancador) + ",'')";
    b.FechaBanco();
    b.AbreBanco(sqlComanda);
    b.FechaBanco();

    b.AbreBanco2("Insert into mPagamentos (Pedido,  idcond, tipo, valor) VALUES (" + pedido +
                 ",998,'DINHEIRO'," + textoTotal + ")");
    b.FechaBanco2();
    // Each delete must remove exactly what was read; anything else undoes it all.
    const auto apaga = [&](const std::string& sql, long long esperadas) {
        b.AbreBanco(sql);
        const long long apagadas = b.rs().afetadas();
        b.FechaBanco();
        if (apagadas == esperadas) return true;
        ctx.eventos.AdicionaEvento("Auto recebimento da comanda " + n + " desfeito: " + std::to_string(apagadas) +
                                " linhas apagadas onde eram esperadas " + std::to_string(esperadas));
        return false;
    };
    if (!apaga("delete  from Comanda where Comanda = " + n, 1)) return;
    if (!apaga("delete  from itemComanda where Comanda = " + n, itens)) return;
    GravaLog(ctx, "Auto recebimento " + n + " -  Total " + TextoPadrao(total), "OPERACAO",
             "SISTEMA");
    b.AbreBanco("Update CadComanda set Ocupado=false where numero = " + n);
    transacao.confirma();
    // Only now is the receipt done: a failure above undid all of it.
    ctx.eventos.AdicionaEvento("Auto recebimento da comanda concluido!");
}

}  // namespace varelo
