#include "printing/delivery_ticket.h"

#include <optional>
#include <string>

#include "app/activity_log.h"
#include "app/context.h"
#include "app/errors.h"
#include "app/money.h"
#include "app/regional.h"
#include "db/banco.h"
#include "export/text_columns.h"
#include "printing/layout.h"
#include "printing/printing_system.h"
#include "transactions/record.h"

namespace varelo {
namespace {

const std::string kTracos(48, '-');
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

// The ticket being printed on the current printer: lines go out as soon as
// they are built, and the ticket is ended with the date line and the blank
// feed lines once its printer changes or the order ends.
class Bilhete {
public:
    explicit Bilhete(Contexto& ctx) : ctx_(ctx) {}

    bool aberto() const { return aberto_; }

    void imprime(const std::string& texto) {
        ctx_.impressao.imprime(texto);
        aberto_ = true;
    }

    void termina() {
        const DataHora agora = ctx_.relogio.agora();
        ctx_.impressao.imprime(DataDDMMAAAA(agora) + " - " + HoraTexto(agora));
        for (std::int32_t i = 0; i < ctx_.cfg.LinhaFim; ++i) ctx_.impressao.imprime(" ");
        aberto_ = false;
        if (!ctx_.impressao.terminaDocumento()) throw Erro(ctx_.impressao.ultimoErro());
    }

private:
    Contexto& ctx_;
    bool aberto_ = false;
};

}  // namespace

void ImprimeDelivery(Contexto& ctx, std::int32_t pedido) {
    const std::string numero = std::to_string(pedido);
    try {
        AdicionaEvento(ctx, "Imprimindo delivery " + numero);
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

        Bilhete bilhete(ctx);
        std::int32_t item = 0;
        std::string impressoraAnterior;
        bool clientePendente = true;
        // The attendant line heads the first ticket that prints anything,
        // even when the order's first item belongs to a group not printed.
        bool atendentePendente = true;

        for (; !rs.eof(); rs.proximo()) {
            ++item;
            bool pula = false;

            banco.AbreBanco3(
                "Select Produtos.codigo, Grupos.idGrupo, Grupos.Impressoradelivery as Impressora "
                "from Produtos, grupos where Produtos.idgrupo=grupos.idgrupo and Produtos.Codigo = " +
                rs.texto("idproduto") + " order by Impressora");
            const std::string impressora =
                banco.rs3().eof() ? std::string() : banco.rs3().textoOuVazio("Impressora");
            if (impressora == "Não Imprimir" || impressora == "Etiqueta") {
                pula = true;
            } else if (impressora != impressoraAnterior || ctx.cfg.ImpSeparado) {
                if (bilhete.aberto()) bilhete.termina();
                impressoraAnterior = impressora;
                clientePendente = true;
                DefineImpressora(ctx, impressora);
                FonteCozinha(ctx);
            }
            banco.FechaBanco3();

            if (clientePendente && !pula) {
                // An order without a customer code has no customer block.
                if (const auto cliente = rs.campo("idcliente")) {
                    banco.AbreBanco2("Select Nome, Endereco, Telefone, bairro from Clientes where codigo=" +
                                     *cliente);
                    Registros& rs2 = banco.rs2();
                    if (!rs2.eof())
                        bilhete.imprime("ENTREGA" + kCrLf + kTracos + kCrLf + "Cliente :" +
                                        rs2.textoOuVazio("Nome") + kCrLf + "End.    :" +
                                        rs2.textoOuVazio("Endereco") + kCrLf + "Bairro  :" +
                                        rs2.textoOuVazio("bairro") + kCrLf + kTracos);
                    banco.FechaBanco2();
                }
                clientePendente = false;
            }

            if (atendentePendente && !pula) {
                atendentePendente = false;
                const std::string atendente = Apara(rs.textoOuVazio("lancado"));
                if (!atendente.empty()) {
                    bilhete.imprime("ATENDENTE:   " + atendente);
                    bilhete.imprime(kTracos);
                }
            }

            if (!pula) {
                bilhete.imprime("DELIVERY ( " + rs.texto("idpedido") + " )");
                bilhete.imprime(kTracos);
                bilhete.imprime("Item " + std::to_string(item) + " de " + total);
                bilhete.imprime("Produto: " + rs.textoOuVazio("Descricao"));
                bilhete.imprime("Quant. : " + TextoPadrao(NumeroDoBanco(rs.campo("Qtde"))));
                bilhete.imprime("Valor  : " + Formata(NumeroDoBanco(rs.campo("valor")), "R$ ##,##0.00"));
                bilhete.imprime(LinhasObs(rs.textoOuVazio("Obs")));
                bilhete.imprime(kTracos);
            }

            const std::string idlanc = rs.texto("idlanc");
            banco.AbreBanco2("Update iDelivery set Impresso=true where idlanc = " + idlanc);
            AdicionaEvento(ctx, "Impresso delivery " + idlanc);
            banco.FechaBanco2();
        }
        // The last ticket is ended in full also when the order's last item
        // was one that is not printed.
        if (bilhete.aberto()) bilhete.termina();

        AdicionaEvento(ctx, "Fim da impressao delivery " + numero);
        banco.FechaBanco();
    } catch (const ErroBanco&) {
        throw;
    } catch (const std::exception& e) {
        AdicionaEvento(ctx, std::string("Erro Impressao delivery: ") + e.what());
    }
}

}  // namespace varelo
