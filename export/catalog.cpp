#include "export/catalog.h"

#include <functional>
#include <map>
#include <vector>

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

// The cards offered to the handhelds are those whose comanda is not open
// or has Status 0 or below (not bill printed, no tablet request pending):
// the Status of each open comanda, read once.
std::map<std::string, std::string> StatusDasComandas(Banco& b) {
    std::map<std::string, std::string> status;
    b.AbreBanco2("Select comanda, status from comanda");
    for (; !b.rs2().eof(); b.rs2().proximo())
        status.emplace(Campo(b.rs2(), "comanda"), b.rs2().textoOuVazio("Status"));
    b.FechaBanco2();
    return status;
}

// Every product's named quantities by code, read once, each code's in the
// order of its index (description, then entry): the order in which the
// server gives one code's rows on a catalog of any real size.
std::map<std::string, std::vector<std::string>> QuantidadesPorCodigo(Banco& b) {
    std::map<std::string, std::vector<std::string>> quantidades;
    b.AbreBanco2("Select codigo, descricao from Cadqtde order by codigo, descricao, idqtde");
    for (; !b.rs2().eof(); b.rs2().proximo())
        quantidades[Campo(b.rs2(), "codigo")].push_back(Campo(b.rs2(), "descricao"));
    b.FechaBanco2();
    return quantidades;
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
                const auto status = bloqueia ? StatusDasComandas(ctx.banco) : std::map<std::string, std::string>{};
                Registros& rs = ctx.banco.rs();
                for (; !rs.eof(); rs.proximo()) {
                    const std::string numero = Campo(rs, "numero");
                    const auto s = status.find(numero);
                    const bool livre = s == status.end() || ValorInicial(s->second) <= 0;
                    // The number is the card: a card without one is nothing to offer.
                    if (numero.empty() || (bloqueia && !livre)) continue;
                    arq.linha(numero);
                    ctx.eventos.AdicionaEvento("Exportando comandas -> " + rs.textoOuVazio("numero"));
                }
            });
}

void ExportaQtdes(Contexto& ctx, const std::string& PastaDest) {
    Exporta(ctx, PastaDest, "cadqtde.txt", "Select * from produtos order by idgrupo, descricao",
            [&ctx](ArquivoPalm& arq) {
                const auto quantidades = QuantidadesPorCodigo(ctx.banco);
                Registros& rs = ctx.banco.rs();
                std::string ultima;
                for (; !rs.eof(); rs.proximo()) {
                    const std::string codigo = Campo(rs, "codigo");
                    if (!EhNumeroSql(codigo)) continue;  // no code, no quantities
                    if (const auto q = quantidades.find(codigo); q != quantidades.end()) {
                        for (const std::string& descricao : q->second) arq.linha(ultima = codigo + ";" + descricao);
                    }
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
