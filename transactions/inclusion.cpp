#include "transactions/inclusion.h"

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>

#include "base/printing_system.h"
#include "base/errors.h"
#include "base/event_list.h"
#include "base/files.h"
#include "base/record.h"
#include "base/regional.h"
#include "base/text_columns.h"
#include "core/account_totals.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "core/replies.h"
#include "db/banco.h"
#include "db/sql.h"
#include "transactions/inclusion_journal.h"

namespace varelo {
namespace {

using Campos = std::array<std::string, 8>;


// Far beyond any real request; the lengths of the texts are the site's
// columns' to decide (a value they refuse is a rejected statement, and the
// scan moves a request the server keeps rejecting aside).
constexpr std::size_t kMaximoLinha = 1000;
const Dinheiro kLimiteValor = Dinheiro::deUnidades(100000000000);

enum class Desfecho { Incluido, QuantidadeInvalida, ProdutoNaoEncontrado };

// The request line must be text: no control characters other than the tab
// and none of the bytes that Windows-1252 leaves undefined.
void VerificaTexto(const std::string& linha) {
    if (Largura(linha) > kMaximoLinha)
        throw Erro("Linha longa demais: " + std::to_string(Largura(linha)) + " caracteres");
    for (unsigned char c : linha)
        if ((c < 0x20 && c != '\t') || c == 0x7F) throw Erro("Conteúdo do arquivo não é texto");
    if (linha.find("\xEF\xBF\xBD") != std::string::npos) throw Erro("Conteúdo do arquivo não é texto");
}

// The product code goes into the statements bare: a plain number, not 0.
bool CodigoValido(const std::string& codigo) {
    return !codigo.empty() && EhNumeroSql(codigo) && ValorInicial(codigo) != 0;
}

// A comanda or table number, bare in the statements and an INT column.
void VerificaInteiro(const std::string& texto, const std::string& oQue) {
    bool valido = EhInteiroSql(texto);
    if (valido) {
        try {
            ParaInteiro32(texto);
        } catch (const Erro&) {
            valido = false;
        }
    }
    if (!valido) throw Erro("Número de " + oQue + " inválido: " + texto);
}

void VerificaValor(Dinheiro valor, const std::string& oQue) {
    if (valor >= kLimiteValor || valor <= -kLimiteValor)
        throw Erro(oQue + " fora do intervalo: " + TextoPadrao(valor));
}

// A quantity or price as SQL text: regional text with a decimal point.
std::string NumeroSql(Dinheiro valor) { return VirgulaParaPonto(TextoPadrao(valor)); }

// The current moment as the statements store it: date and hours:minutes.
std::string MomentoSql(Contexto& ctx) {
    const DataHora agora = ctx.relogio.agora();
    return DataAAAAMMDD(agora) + " " + HoraTexto(agora).substr(0, 5);
}

// Everything the request reads and writes in the database, as one
// transaction. The two refusals after the code check come back as their
// outcome, with their messages already in the event list; a run-time
// failure throws Erro and rolls everything back. `antesDeConfirmar` gets
// the new item's key just before the commit.
Desfecho Aplica(Contexto& ctx, Campos& f, const std::function<void(const std::string&)>& antesDeConfirmar) {
    Banco& b = ctx.banco;
    Registros& rs = b.rs();
    Transacao transacao(b);

    // Quantity: a named quantity of the product, or the text as a number.
    Dinheiro qtde;
    b.AbreBanco("Select * from cadqtde where codigo=" + f[0] + " and Descricao='" + b.Escapa(f[1]) + "'");
    if (rs.eof()) {
        ctx.eventos.AdicionaEvento("Não foi encontrada a quantidade");
        qtde = LeDinheiro(f[1]);
        if (qtde <= Dinheiro()) {
            ctx.eventos.AdicionaEvento("Quantidade inválida");
            return Desfecho::QuantidadeInvalida;
        }
        ctx.eventos.AdicionaEvento("Lancando quantidade " + f[1]);
    }
    if (qtde <= Dinheiro()) qtde = DinheiroDoBanco(rs.texto("Qtde"));
    b.FechaBanco();

    // Product.
    b.AbreBanco("Select * from Produtos where codigo=" + f[0]);
    if (rs.eof()) {
        b.FechaBanco();
        ctx.eventos.AdicionaEvento("Não foi encontrado o produto indicado no palm");
        return Desfecho::ProdutoNaoEncontrado;
    }
    // The handheld's price has a decimal point; 0 or less takes the
    // product's own.
    Dinheiro preco;
    if (LeDinheiro(f[7]) <= Dinheiro())
        preco = DinheiroDoBanco(rs.texto("preco_v"));
    else
        preco = LeDinheiro(PontoParaVirgula(f[7])).arredonda(4);
    const std::string unidade = rs.texto("Unidade");
    const auto monitoradoTexto = rs.campo("monitorado");
    const bool monitorado = monitoradoTexto && ValorInicial(*monitoradoTexto) != 0;
    const auto descricao2Lida = rs.campo("descricao2");
    const std::string descricao2 = descricao2Lida && !Apara(*descricao2Lida).empty()
                                       ? *descricao2Lida
                                       : rs.texto("descricao");
    const std::string tempoPreparo = rs.campo("tempopreparo").value_or("0");
    const auto idgrupo = rs.campo("idgrupo");
    b.FechaBanco();

    // Printer of the product's group.
    std::string impressora = kNaoImprimir;
    if (idgrupo) {
        b.AbreBanco("Select Impressora from Grupos where idgrupo=" + *idgrupo);
        if (!rs.eof()) impressora = rs.texto("Impressora");
        b.FechaBanco();
    }

    if (f[5].empty()) f[5] = "Palm";
    const std::string status = monitorado ? "PREPARANDO" : "NÃO MONITORADO";

    // What goes into the statements bare, and what the columns can hold.
    VerificaInteiro(f[2], "comanda");
    if (!f[4].empty()) VerificaInteiro(f[4], "mesa");
    if (!EhNumeroSql(tempoPreparo)) throw Erro("Tempo de preparo inválido: " + tempoPreparo);
    VerificaValor(qtde, "Quantidade");
    VerificaValor(preco, "Preço");

    const std::string momento = MomentoSql(ctx);
    ctx.eventos.AdicionaEvento("Lancando item na comanda " + f[2]);
    b.AbreBanco(
        "Insert into ItemComanda (Comanda, idProduto, qtde, valor, desconto, Unidade, Obs, Lancado, "
        "Status, Descricao2, Tempopreparo, Etiqueta,  DataHora) VALUES (" +
        f[2] + "," + f[0] + "," + NumeroSql(qtde) + "," + NumeroSql(preco) + ",0,'" +
        b.Escapa(unidade) + "','" + b.Escapa(f[3]) + "','" + b.Escapa(f[5]) + "','" +
        b.Escapa(status) + "','" + b.Escapa(descricao2) + "'," + tempoPreparo + "," +
        (impressora == kEtiqueta ? "False" : "True") + ",'" + momento + "')");
    b.FechaBanco();
    b.AbreBanco("Select LAST_INSERT_ID() as idlanc");
    const std::string idlanc = rs.texto("idlanc");
    b.FechaBanco();

    // A new comanda number opens the comanda with the next order number.
    b.AbreBanco("Select Count(*) as TotCom from Comanda where Comanda = " + f[2]);
    const double totCom = ValorInicial(rs.texto("TotCom"));
    b.FechaBanco();
    if (f[4].empty()) f[4] = "999";
    if (totCom <= 0) {
        // Locked until the end of the transaction, so that two writers
        // never take the same number.
        b.AbreBanco("Select max(seqcomanda) as Proximo from sequencias for update");
        const std::int32_t ultimo = ParaInteiro32(rs.texto("Proximo"));
        b.FechaBanco();
        if (ultimo == std::numeric_limits<std::int32_t>::max()) throw Erro("Estouro");
        const std::string pedido = std::to_string(ultimo + 1);
        b.AbreBanco(
            "Insert into Comanda (idpedido, idCliente, Garcon, Comanda, Ocupantes, Desconto, Inicio, "
            "Final , Valor, ValorPG, Couvert, Servico, Mesa) VALUES (" +
            pedido + ",0,'" + b.Escapa(f[5]) + "'," + f[2] + ",1,-1,'" + momento + "',Null," +
            NumeroSql(preco) + ",0,-1,-1," + f[4] + ")");
        b.FechaBanco();
        b.AbreBanco("Update sequencias set seqcomanda=" + pedido);
        b.FechaBanco();
    }

    b.AbreBanco("Update Comanda set Mesa=" + f[4] + " where comanda = " + f[2]);
    b.FechaBanco();

    GravaLog(ctx, "PALM Incluido item: " + descricao2, "OPERACAO", f[5]);
    antesDeConfirmar(idlanc);
    transacao.confirma();
    return Desfecho::Incluido;
}

DiarioInclusoes Diario(Contexto& ctx) {
    return DiarioInclusoes(ctx.arquivos, Junta(ctx.pastaPrograma, "inclusoes.diario"));
}

// Whether the item of a journal entry was committed: it is still open, or
// already received into the history.
bool ItemGravado(Contexto& ctx, const std::string& idlanc) {
    if (!EhInteiroSql(idlanc)) return false;
    Banco& b = ctx.banco;
    b.AbreBanco("Select (Select count(*) from ItemComanda where idlanc=" + idlanc +
                ") + (Select count(*) from mitemcomanda where idLanc=" + idlanc + ") as n");
    const bool gravado = ValorInicial(b.rs().texto("n")) > 0;
    b.FechaBanco();
    return gravado;
}

// Trims the numbers that go into the statements bare: the order system
// reads "15 " as 15.
void AparaNumeros(Campos& f) {
    for (int i : {0, 2, 4}) f[static_cast<std::size_t>(i)] = Apara(f[static_cast<std::size_t>(i)]);
}

}  // namespace

void EsqueceInclusaoApagada(Contexto& ctx, const std::string& ArqInc) {
    try {
        if (!ArquivoExiste(ctx.arquivos, ArqInc)) Diario(ctx).esquece(ArqInc);
    } catch (const Erro& e) {
        ctx.eventos.AdicionaEvento(e.what());
    }
}

void ReconciliaInclusoes(Contexto& ctx) {
    try {
        Diario(ctx).reconcilia();
    } catch (const Erro& e) {
        ctx.eventos.AdicionaEvento(e.what());
    }
}

void InclueItem(Contexto& ctx, const std::string& ArqInc) {
    ctx.eventos.AdicionaEvento("incluindo " + ArqInc);
    const std::string comandaErro = std::to_string(ctx.varredura.ComandaAtual);
    Campos campos{};
    std::string conteudo;
    try {
        conteudo = LeArquivo(ctx.arquivos, ctx.relogio, ArqInc);
        if (conteudo.empty()) {
            ctx.eventos.AdicionaEvento("Nao consegui ler conteudo do arquivo");
            GravaErro(ctx, comandaErro);
            ApagaArquivo(ctx, ArqInc);
            return;
        }
        VerificaTexto(conteudo);
        ParseToArrayPvirg(conteudo, campos);
        AparaNumeros(campos);

        if (!CodigoValido(campos[0])) {
            ctx.eventos.AdicionaEvento("Código inválido");
            ctx.eventos.AdicionaEvento("Limpando " + ArqInc);
            GravaErro(ctx, comandaErro);
            Espera(ctx.relogio, 0.5f);
            ApagaArquivo(ctx, ArqInc);
            return;
        }

        const std::string carimbo = ctx.arquivos.carimbo(ArqInc);
        DiarioInclusoes diario = Diario(ctx);
        if (const auto lancada = diario.procura(ArqInc, carimbo, conteudo)) {
            if (ItemGravado(ctx, lancada->idlanc)) {
                ctx.eventos.AdicionaEvento("Item já lançado antes de uma interrupção: " + ArqInc);
                ApagaArquivo(ctx, ArqInc);
                EsqueceInclusaoApagada(ctx, ArqInc);
                GravaOK(ctx, campos[2]);
                return;
            }
            diario.esquece(ArqInc);  // stopped before its commit: applied now
        }

        const Desfecho desfecho = Aplica(ctx, campos, [&](const std::string& idlanc) {
            try {
                diario.acrescenta({ArqInc, carimbo, conteudo, idlanc});
            } catch (const Erro& e) {
                // Without its entry a crash could launch the item twice.
                throw PedidoAdiado(std::string("Diário de inclusões: ") + e.what());
            }
        });
        ctx.eventos.AdicionaEvento("Limpando " + ArqInc);
        if (desfecho != Desfecho::Incluido) {
            // A refused order: the reply and the removal, in the order each
            // refusal has always had.
            Espera(ctx.relogio, 0.5f);
            if (desfecho == Desfecho::QuantidadeInvalida) GravaErro(ctx, comandaErro);
            ApagaArquivo(ctx, ArqInc);
            if (desfecho == Desfecho::ProdutoNaoEncontrado) GravaErro(ctx, comandaErro);
            return;
        }
    } catch (const ErroBanco&) {
        throw;
    } catch (const PedidoAdiado&) {
        throw;
    } catch (const std::exception& e) {
        ctx.eventos.AdicionaEvento(e.what());
        ApagaArquivo(ctx, ArqInc);
        GravaErro(ctx, comandaErro);
        return;
    }
    ctx.eventos.AdicionaEvento("Esperando 1s antes de apagar inclusão!");
    Espera(ctx.relogio, 0.5f);
    ApagaArquivo(ctx, ArqInc);
    EsqueceInclusaoApagada(ctx, ArqInc);
    GravaOK(ctx, campos[2]);
}

}  // namespace varelo
