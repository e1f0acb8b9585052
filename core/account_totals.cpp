#include "core/account_totals.h"

#include "base/errors.h"
#include "base/event_list.h"
#include "base/record.h"
#include "base/regional.h"
#include "base/text_columns.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "core/user_settings.h"
#include "db/banco.h"
#include "db/sql.h"

namespace varelo {
namespace {

Dinheiro TaxaDoRegistro(Contexto& ctx, const std::string& chave) {
    const std::string texto = LeRegistro(ctx, kAplicacao, kSecaoRegistro, chave, "0");
    if (Apara(texto).empty()) return Dinheiro();
    try {
        return LeDinheiro(texto);
    } catch (const Erro& e) {
        ctx.eventos.AdicionaEvento("Valor inválido em " + chave + ": " + texto + " (" + e.what() + ")");
        return Dinheiro();
    }
}

}  // namespace

std::optional<Dinheiro> DinheiroDaColuna(const Registros& rs, const std::string& coluna) {
    const auto valor = rs.campo(coluna);
    if (!valor) return std::nullopt;
    return DinheiroDoBanco(*valor);
}

TaxasConfiguradas LeTaxasConfiguradas(Contexto& ctx) {
    return {TaxaDoRegistro(ctx, "Servico"), TaxaDoRegistro(ctx, "Couvert")};
}

Dinheiro CalculaServico(Dinheiro percentual, Dinheiro base) {
    return Dinheiro::deDouble(percentual.toDouble() * base.toDouble() / 100.0);
}

Acrescimos AcrescimosDaComanda(const Registros& comanda, Dinheiro couvertPorPessoa,
                               Dinheiro servicoCalculado) {
    Acrescimos a;
    const auto ocupantes = DinheiroDaColuna(comanda, "ocupantes");
    a.couvert = ocupantes ? *ocupantes * couvertPorPessoa : couvertPorPessoa;
    const auto desconto = DinheiroDaColuna(comanda, "desconto");
    a.desconto = desconto && *desconto >= Dinheiro() ? *desconto : Dinheiro();
    const auto couvert = DinheiroDaColuna(comanda, "Couvert");
    if (couvert && *couvert >= Dinheiro()) a.couvert = *couvert;
    a.servico = servicoCalculado;
    const auto servico = DinheiroDaColuna(comanda, "servico");
    if (servico && *servico >= Dinheiro()) a.servico = *servico;
    return a;
}

std::string SqlTotalPago(const std::string& comanda) {
    return "Select sum(valor) as TotalPago from pagamentos where comanda= " + comanda;
}

Dinheiro LeTotalPago(const Registros& rs) {
    if (rs.eof()) return Dinheiro();
    return DinheiroDaColuna(rs, "totalpago").value_or(Dinheiro());
}

Dinheiro TotalAPagar(Dinheiro subtotal, const Acrescimos& a, Dinheiro pago) {
    return subtotal + a.couvert + a.servico - a.desconto - pago;
}

}  // namespace varelo
