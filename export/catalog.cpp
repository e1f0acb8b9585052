#include "export/catalog.h"

#include <functional>

#include "base/errors.h"
#include "base/event_list.h"
#include "base/record.h"
#include "base/regional.h"
#include "base/text_columns.h"
#include "core/account_totals.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "db/banco.h"
#include "db/sql.h"
#include "export/handheld_file.h"
#include "export/pending_exports.h"

namespace varelo {
namespace {

// A column as a record field: its text, trimmed; a null is empty.
std::string Campo(const Registros& rs, const std::string& coluna) {
    return Apara(rs.textoOuVazio(coluna));
}

// A decimal column as the handhelds read it: point, no grouping, no
// trailing zeros (12.5, 10, 7.25); a null is 0.
std::string Decimal(const Registros& rs, const std::string& coluna) {
    const std::string valor = Apara(rs.textoOuVazio(coluna));
    return VirgulaParaPonto(TextoPadrao(valor.empty() ? Dinheiro() : DinheiroDoBanco(valor)));
}

// The common course of an export: the main statement into rs, then
// `registros` writes the lines, and the file replaces the old one only once
// it is complete. A run-time failure is logged and ends the export with the
// old file in place; a database failure leaves the export pending.
void Exporta(Contexto& ctx, const std::string& pasta, const std::string& nome,
             const std::string& sql, const std::function<void(ArquivoPalm&)>& registros) {
    const std::string caminho = Junta(pasta, nome);
    Retomavel(ctx, caminho, [&ctx, caminho, sql, registros] {
        try {
            ctx.banco.AbreBanco(sql);
            ArquivoPalm arquivo(ctx.arquivos, caminho);
            registros(arquivo);
            arquivo.fecha();
            ctx.banco.FechaBanco();
        } catch (const ArquivoNaoGravado&) {
            throw;
        } catch (const Erro& e) {
            ctx.eventos.AdicionaEvento(e.what());
        }
    });
}

// The blocking mode of BloquearReceb: 1 (the default, also without a row)
// leaves out the cards whose comanda awaits its receipt.
std::int16_t ModoBloqueio(Contexto& ctx) {
    Banco& b = ctx.banco;
    b.AbreBanco2("Select * from Config where Variavel = 'BloquearReceb'");
    std::int16_t modo = 1;
    if (!b.rs2().eof()) {
        const std::string valor = b.rs2().textoOuVazio("Valor");
        const std::int32_t v = valor.empty() ? 0 : ParaInteiro32(valor);
        if (v < -32768 || v > 32767) throw Erro("Estouro");
        modo = static_cast<std::int16_t>(v);
    }
    b.FechaBanco2();
    return modo;
}

// A card is offered to the handhelds unless its open comanda has Status
// above 0 (bill printed, or a tablet request pending).
bool CartaoLivre(Contexto& ctx, const std::string& numero) {
    Banco& b = ctx.banco;
    b.AbreBanco2("Select comanda, status from comanda where comanda=" + numero);
    const bool livre = b.rs2().eof() || ValorInicial(b.rs2().textoOuVazio("Status")) <= 0;
    b.FechaBanco2();
    return livre;
}

}  // namespace

void ExportaProdutos(Contexto& ctx, const std::string& PastaDest) {
    Exporta(ctx, PastaDest, "cadpro.txt",
            "Select produtos.codigo, produtos.descricao, produtos.idgrupo, grupos.nome, "
            "produtos.preco_v, produtos.preco_v2 from produtos, grupos where "
            "produtos.idgrupo=grupos.idgrupo and produtos.ativo = 'S' order by grupos.nome, descricao",
            [&ctx](ArquivoPalm& arq) {
                Registros& rs = ctx.banco.rs();
                for (; !rs.eof(); rs.proximo()) {
                    const std::string preco = ctx.cfg.EmHorario ? "preco_v2" : "preco_v";
                    arq.linha(Campo(rs, "codigo") + ";" + Campo(rs, "descricao") + ";" +
                              Campo(rs, "nome") + ";" + Decimal(rs, preco));
                    ctx.eventos.AdicionaEvento("Exportando -> " + rs.textoOuVazio("descricao"));
                }
            });
}

void ExportaAtendentes(Contexto& ctx, const std::string& PastaDest) {
    Exporta(ctx, PastaDest, "atendentes.txt",
            "Select nome, senha from Vendedores where tipo='GARCON' order by Nome",
            [&ctx](ArquivoPalm& arq) {
                Registros& rs = ctx.banco.rs();
                for (; !rs.eof(); rs.proximo()) {
                    arq.linha(Campo(rs, "nome") + ";" + rs.textoOuVazio("senha"));
                    ctx.eventos.AdicionaEvento("Exportando atendente -> " + rs.textoOuVazio("nome"));
                }
            });
}

void ExportaComandas(Contexto& ctx, const std::string& PastaDest) {
    Exporta(ctx, PastaDest, "Comandas.txt",
            "Select * from cadcomanda where status=true order by Numero", [&ctx](ArquivoPalm& arq) {
                const bool bloqueia = ModoBloqueio(ctx) == 1;
                Registros& rs = ctx.banco.rs();
                for (; !rs.eof(); rs.proximo()) {
                    const std::string numero = Campo(rs, "numero");
                    // The number is the card: a card without one is nothing to offer.
                    if (numero.empty() || (bloqueia && !CartaoLivre(ctx, numero))) continue;
                    arq.linha(numero);
                    ctx.eventos.AdicionaEvento("Exportando comandas -> " + rs.textoOuVazio("numero"));
                }
            });
}

void ExportaQtdes(Contexto& ctx, const std::string& PastaDest) {
    Exporta(ctx, PastaDest, "cadqtde.txt", "Select * from produtos order by idgrupo, descricao",
            [&ctx](ArquivoPalm& arq) {
                Banco& b = ctx.banco;
                std::string ultima;
                for (; !b.rs().eof(); b.rs().proximo()) {
                    const std::string codigo = Campo(b.rs(), "codigo");
                    if (!EhNumeroSql(codigo)) continue;  // no code, no quantities to look up
                    b.AbreBanco2("Select * from Cadqtde where codigo = " + codigo);
                    for (; !b.rs2().eof(); b.rs2().proximo()) {
                        ultima = codigo + ";" + Campo(b.rs2(), "descricao");
                        arq.linha(ultima);
                    }
                    b.FechaBanco2();
                    ctx.eventos.AdicionaEvento("Exportando qtdes -> " + ultima);
                }
            });
}

void ExportaObs(Contexto& ctx, const std::string& PastaDest) {
    Exporta(ctx, PastaDest, "cadobs.txt",
            "Select idobs, codigo, descricao, valor from observacoes order by codigo, descricao",
            [&ctx](ArquivoPalm& arq) {
                Registros& rs = ctx.banco.rs();
                for (; !rs.eof(); rs.proximo()) {
                    const std::string linha = Campo(rs, "idobs") + ";" + Campo(rs, "codigo") + ";" +
                                              Campo(rs, "descricao") + ";" + Decimal(rs, "valor");
                    arq.linha(linha);
                    ctx.eventos.AdicionaEvento("Exportando obs -> " + linha);
                }
            });
}

}  // namespace varelo
