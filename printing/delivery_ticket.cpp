#include "printing/delivery_ticket.h"

#include <optional>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/event_list.h"
#include "base/money.h"
#include "base/printing_system.h"
#include "base/record.h"
#include "base/regional.h"
#include "base/step.h"
#include "base/text_columns.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "db/banco.h"
#include "printing/document.h"
#include "printing/layout.h"
#include "printing/print_transaction.h"

namespace varelo {
namespace {

const std::string kCrLf = "\r\n";

// A decimal column as the server sends it ("2.5000"); a null is 0.
Dinheiro NumeroDoBanco(const std::optional<std::string>& valor) {
    if (!valor || Apara(*valor).empty()) return Dinheiro();
    return LeDinheiro(PontoParaVirgula(*valor));
}

// The remark of an item: a plain remark after its label, or, when it holds
// "/", each part on a line of its own, a "preparation->detail" part as its
// two halves in upper case below a spacing line. The text starts with a
// line break, so an item always has a line for its remark, empty or not.
std::string LinhasObs(const std::string& obs) {
    std::string linhas;
    if (obs.empty()) return linhas;
    if (obs.find('/') == std::string::npos) return kCrLf + "Obs    : " + obs;
    std::size_t inicio = 0;
    while (true) {
        const auto barra = obs.find('/', inicio);
        const std::string parte =
            obs.substr(inicio, barra == std::string::npos ? std::string::npos : barra - inicio);
        if (!Apara(parte).empty()) {
            const auto seta = parte.find("->");
            if (seta != std::string::npos) {
                linhas += kCrLf + " ";
                linhas += kCrLf + Maiusculas(parte.substr(0, seta));
                linhas += kCrLf + "   " + Maiusculas(parte.substr(seta + 2));
            } else {
                linhas += kCrLf + "   " + parte;
            }
        }
        if (barra == std::string::npos) break;
        inicio = barra + 1;
    }
    return linhas;
}

// The ticket being composed for one delivery printer. It is handed over
// whole, with the date line and the blank feed lines, once its printer
// changes or the order ends; its items are marked printed in one
// transaction with the hand-over.
class Bilhete {
public:
    Bilhete(Contexto& ctx, std::string numero) : ctx_(ctx), numero_(std::move(numero)) {}

    bool aberto() const { return !linhas_.empty(); }
    void novo(const std::string& impressora) { impressora_ = impressora; }
    void imprime(const std::string& texto) { linhas_.push_back(texto); }
    void item(const std::string& idlanc) { itens_.push_back(idlanc); }
    // A rule across the ticket's printer.
    std::string tracos() const { return std::string(ctx_.impressao.colunas(impressora_), '-'); }

    // False when the printer refused the ticket: its items wait. Without
    // `rodape` it ends without the date line and the blank feed lines.
    bool termina(bool rodape = true) {
        if (rodape) {
            const DataHora agora = ctx_.relogio.agora();
            imprime(DataDDMMAAAA(agora) + " - " + HoraTexto(agora));
            for (std::int32_t i = 0; i < ctx_.cfg.LinhaFim; ++i) imprime(" ");
        }
        Documento documento{impressora_, Documento::Fonte::CozinhaSeInstalada, std::move(linhas_)};
        const std::vector<std::string> itens = std::move(itens_);
        linhas_.clear();
        itens_.clear();

        std::vector<std::string> chaves;
        for (const std::string& idlanc : itens) chaves.push_back(ChaveImpressao("delivery", idlanc, impressora_));
        TransacaoImpressao t(ctx_);
        if (t.reimpressao(chaves)) documento.linhas.insert(documento.linhas.begin(), kReimpressao);
        std::string motivo;
        if (!t.entrega(chaves, [&](std::string& m) { return Entrega(ctx_, documento, m); }, motivo)) {
            ctx_.eventos.AdicionaEvento("Delivery " + numero_ + " não aceito pela impressora " + impressora_ + ": " +
                                     motivo + " - itens continuam pendentes");
            return false;
        }
        for (const std::string& idlanc : itens) MarcaImpresso(ctx_, idlanc);
        t.confirma();
        return true;
    }

    static void MarcaImpresso(Contexto& ctx, const std::string& idlanc) {
        ctx.banco.AbreBanco2("Update iDelivery set Impresso=true where idlanc = " + idlanc);
        ctx.eventos.AdicionaEvento("Impresso delivery " + idlanc);
        ctx.banco.FechaBanco2();
    }

private:
    Contexto& ctx_;
    std::string numero_;
    std::string impressora_;
    std::vector<std::string> linhas_;
    std::vector<std::string> itens_;
};

}  // namespace

bool ImprimeDelivery(Contexto& ctx, std::int32_t pedido) {
    const std::string numero = std::to_string(pedido);
    bool todosAceitos = true;
    Passo([&] {
        ctx.eventos.AdicionaEvento("Imprimindo delivery " + numero);
        Banco& banco = ctx.banco;

        banco.AbreBanco(
            "select count(*) as total from idelivery where iDelivery.impresso=false and idpedido=" +
            numero);
        const std::string total = std::to_string(ParaInteiro32(banco.rs().texto("total")));
        banco.FechaBanco();

        banco.AbreBanco(
            "Select delivery.idpedido, delivery.idcliente, delivery.endereco, delivery.numero, "
            "delivery.bairro, delivery.cep , delivery.cidade, delivery.estado, delivery.fone, "
            "delivery.referencia, iDelivery.idproduto, iDelivery.Qtde, iDelivery.Obs, "
            "iDelivery.impresso, iDelivery.idlanc, iDelivery.lancado, idelivery.valor, "
            "Produtos.Descricao, Produtos.idGrupo, grupos.impressora from delivery, iDelivery, "
            "Produtos, grupos where delivery.idpedido=iDelivery.idpedido and "
            "iDelivery.idproduto=Produtos.codigo and Produtos.idgrupo=grupos.idgrupo and "
            "iDelivery.impresso=false and delivery.idpedido=" +
            numero + "  order by grupos.impressora");
        Registros& rs = banco.rs();
        if (rs.eof()) {
            banco.FechaBanco();
            return;
        }

        Bilhete bilhete(ctx, numero);
        std::int32_t item = 0;
        std::string impressoraAnterior;
        bool clientePendente = true;
        bool pula = false;

        for (; !rs.eof(); rs.proximo()) {
            ++item;
            pula = false;

            banco.AbreBanco3(
                "Select Produtos.codigo, Grupos.idGrupo, Grupos.Impressoradelivery as Impressora "
                "from Produtos, grupos where Produtos.idgrupo=grupos.idgrupo and Produtos.Codigo = " +
                rs.texto("idproduto") + " order by Impressora");
            const std::string impressora =
                banco.rs3().eof() ? std::string() : banco.rs3().textoOuVazio("Impressora");
            banco.FechaBanco3();
            if (impressora == kNaoImprimir || impressora == kEtiqueta) {
                pula = true;
            } else if (impressora != impressoraAnterior || ctx.cfg.ImpSeparado) {
                if (bilhete.aberto() && !bilhete.termina()) todosAceitos = false;
                impressoraAnterior = impressora;
                clientePendente = true;
                bilhete.novo(impressora);
            }

            if (clientePendente && !pula) {
                // An order without a customer code has no customer block.
                if (const auto cliente = rs.campo("idcliente")) {
                    banco.AbreBanco2("Select Nome, Endereco, Telefone, bairro from Clientes where codigo=" +
                                     *cliente);
                    Registros& rs2 = banco.rs2();
                    if (!rs2.eof())
                        bilhete.imprime("ENTREGA" + kCrLf + bilhete.tracos() + kCrLf + "Cliente :" +
                                        rs2.textoOuVazio("Nome") + kCrLf + "End.    :" +
                                        rs2.textoOuVazio("Endereco") + kCrLf + "Bairro  :" +
                                        rs2.textoOuVazio("bairro") + kCrLf + bilhete.tracos());
                    banco.FechaBanco2();
                }
                clientePendente = false;
            }

            // The attendant line is decided on the order's first row: it
            // heads the first ticket, and is left out when that item is not
            // printed.
            if (item == 1 && !pula) {
                const std::string atendente = Apara(rs.textoOuVazio("lancado"));
                if (!atendente.empty()) {
                    bilhete.imprime("ATENDENTE:   " + atendente);
                    bilhete.imprime(bilhete.tracos());
                }
            }

            const std::string idlanc = rs.texto("idlanc");
            if (pula) {
                Bilhete::MarcaImpresso(ctx, idlanc);
                continue;
            }
            bilhete.imprime("DELIVERY ( " + rs.texto("idpedido") + " )");
            bilhete.imprime(bilhete.tracos());
            bilhete.imprime("Item " + std::to_string(item) + " de " + total);
            bilhete.imprime("Produto: " + rs.textoOuVazio("Descricao"));
            bilhete.imprime("Quant. : " + TextoPadrao(NumeroDoBanco(rs.campo("Qtde"))));
            bilhete.imprime("Valor  : " + Formata(NumeroDoBanco(rs.campo("valor")), "R$ ##,##0.00"));
            bilhete.imprime(LinhasObs(rs.textoOuVazio("Obs")));
            bilhete.imprime(bilhete.tracos());
            bilhete.item(idlanc);
        }
        // An order whose last item is not printed ends its open ticket
        // without the date line and the feed lines.
        if (bilhete.aberto() && !bilhete.termina(!pula)) todosAceitos = false;

        ctx.eventos.AdicionaEvento("Fim da impressao delivery " + numero);
        banco.FechaBanco();
    }, [&](const Erro& e) {
        // The ticket being composed is dropped whole; its items wait.
        ctx.eventos.AdicionaEvento(std::string("Erro Impressao delivery: ") + e.what());
    });
    return todosAceitos;
}

}  // namespace varelo
