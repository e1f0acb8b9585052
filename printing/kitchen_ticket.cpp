#include "printing/kitchen_ticket.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <utility>
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
#include "core/replies.h"
#include "db/banco.h"
#include "db/sql.h"
#include "printing/document.h"
#include "printing/labels.h"
#include "printing/layout.h"
#include "printing/print_transaction.h"

namespace varelo {
namespace {

const std::string kCrLf = "\r\n";

// A decimal column as the server sends it ("0.5000"); a null is 0.
Dinheiro Quantidade(const std::optional<std::string>& valor) {
    if (!valor || Apara(*valor).empty()) return Dinheiro();
    return LeDinheiro(PontoParaVirgula(*valor));
}

std::string ConsultaItens(const std::string& mesa, std::int32_t ordem, bool novaTentativa) {
    std::string sql =
        "Select Comanda.Mesa, Comanda.Comanda, Comanda.idpedido, itemcomanda.idmeia, "
        "Itemcomanda.idproduto, Itemcomanda.Qtde, ItemComanda.Obs, ItemComanda.impresso, "
        "ItemComanda.idlanc, ItemComanda.lancado, Produtos.Descricao, Produtos.idGrupo, "
        "Grupos.Nome, Grupos.Impressora, Grupos.Impressora2, ItemComanda.Descricao2 "
        "from Comanda, itemComanda, Produtos, Grupos where "
        "Comanda.Comanda=Itemcomanda.comanda and Itemcomanda.idproduto=Produtos.codigo and "
        "Produtos.idgrupo=Grupos.idgrupo";
    // The second attempt of the grouped order has always been sent with a
    // doubled space; the server reads it the same.
    sql += (novaTentativa && ordem == 0) ? "  " : " ";
    sql += "and Itemcomanda.impresso=false and Comanda.mesa=" + mesa;
    sql += ordem != 0 ? " order by ItemComanda.idlanc" : " order by ItemComanda.Comanda, Produtos.idgrupo";
    return sql;
}

// The handhelds' print request of this table (PRINTM<mesa>.txt). The
// background checks print without one, and the file named by ArqAtual is
// then whatever the scan listed last: a reply, a catalog file, or the
// request of another table that waits for its printer, all of which must
// stay.
bool EhPedidoDaMesa(const std::string& caminho, std::int32_t mesa) {
    const auto barra = caminho.find_last_of('/');
    std::string nome = barra == std::string::npos ? caminho : caminho.substr(barra + 1);
    for (char& c : nome) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!nome.starts_with("PRINTM") || !nome.ends_with(".TXT") || nome.size() <= 10) return false;
    const std::string numero = nome.substr(6, nome.size() - 10);
    char* resto = nullptr;
    return std::strtol(numero.c_str(), &resto, 10) == mesa && *resto == '\0';
}

// The copy printer of a group: empty when the group has none.
std::string Copia(const std::string& impressora2) {
    return impressora2 == kNaoImprimir ? std::string() : impressora2;
}

// Where a ticket goes: its printer and its copy printer. Items of groups
// that share the printer but not the copy are on tickets of their own, so
// that each copy holds the items of its groups and no item loses its copy.
std::string Destino(const std::string& impressora, const std::string& impressora2) {
    return impressora + '\n' + Copia(impressora2);
}

void ApagaPedido(Contexto& ctx, std::int32_t mesa) {
    if (EhPedidoDaMesa(ctx.varredura.ArqAtual, mesa)) ApagaArquivo(ctx, ctx.varredura.ArqAtual);
}

// What a ticket shows of its comanda: the order number and the name.
struct DadosComanda {
    std::string pedido;
    std::string nome;
};

// One call of ImprimeCupom: the state of the walk over the table's items.
class CupomMesa {
public:
    CupomMesa(Contexto& ctx, std::int32_t mesa)
        : ctx_(ctx), banco_(ctx.banco), mesa_(mesa), textoMesa_(std::to_string(mesa)) {}

    // False when nothing was pending, even after the second look.
    bool imprime();
    // True when a printer refused one of the tickets.
    bool recusado() const { return recusado_; }

private:
    void item(Registros& rs);
    void cabecalhoA(Registros& rs);
    void cabecalhoB(Registros& rs);
    void linhasComuns(Registros& rs);
    void linhasItem(Registros& rs);
    void imprimeCupom(std::int16_t codigo);
    void marca(const std::string& idlanc, const std::string& impressora, bool naoImprime);
    const DadosComanda& dados(std::int32_t comanda, const std::optional<std::string>& pedido);
    void linha(const std::string& texto) { texto_ += kCrLf + texto; }
    // A rule across the item's printer.
    std::string tracos() const { return std::string(ctx_.impressao.colunas(impressora_), '-'); }

    Contexto& ctx_;
    Banco& banco_;
    const std::int32_t mesa_;
    const std::string textoMesa_;

    std::map<std::int32_t, DadosComanda> comandas_;
    std::string texto_;
    std::int32_t comandaCabecalho_ = 0;
    std::int32_t comandaRegistro_ = 99999;
    std::string destinoCabecalho_;  // printer (and copy) of the last heading check
    bool pula_ = false;
    bool recusado_ = false;

    // The item being handled.
    std::int32_t comandaItem_ = 0;
    std::string impressora_, impressora2_, qtde_, obs_, descricao_, idlanc_;
    std::int32_t meia_ = 0;
    Dinheiro quantidade_;
    // The ticket being built: what it says of its comanda, the comanda as
    // LogImp wants it, and its items (key, description), which are marked
    // printed only together with the ticket's hand-over.
    std::string pedidoCupom_;
    std::string comandaTexto_;
    std::vector<std::pair<std::string, std::string>> itensCupom_;
};

const DadosComanda& CupomMesa::dados(std::int32_t comanda, const std::optional<std::string>& pedido) {
    auto achado = comandas_.find(comanda);
    if (achado != comandas_.end()) return achado->second;
    DadosComanda d;
    d.pedido = pedido.value_or("");
    d.nome = ConsultaNomeComanda(ctx_, comanda);
    if (!d.nome.empty()) ctx_.eventos.AdicionaEvento("Imprimindo conta de " + d.nome);
    return comandas_.emplace(comanda, std::move(d)).first->second;
}

bool CupomMesa::imprime() {
    banco_.AbreBanco("Select * from config where variavel='OrdemPedido' ");
    std::int32_t ordem = 0;
    if (!banco_.rs().eof()) ordem = ParaInteiro32(banco_.rs().textoOuVazio("Valor"));
    banco_.FechaBanco();

    ctx_.eventos.AdicionaEvento("Imprimindo cupom da mesa " + textoMesa_);
    banco_.AbreBanco(ConsultaItens(textoMesa_, ordem, false));
    if (banco_.rs().eof()) {
        banco_.FechaBanco();
        ctx_.eventos.AdicionaEvento("Sem itens para imprimir da mesa " + textoMesa_);
        Espera(ctx_.relogio, 0.5f);
        ctx_.eventos.AdicionaEvento("Fazendo nova tentativa de impressão da mesa " + textoMesa_);
        banco_.AbreBanco(ConsultaItens(textoMesa_, ordem, true));
        if (banco_.rs().eof()) {
            banco_.FechaBanco();
            return false;
        }
    }

    Registros& rs = banco_.rs();
    dados(ParaInteiro32(rs.texto("comanda")), rs.campo("idpedido"));
    while (!rs.eof()) item(rs);

    ctx_.eventos.AdicionaEvento("Fim da impressao mesa " + textoMesa_);
    banco_.FechaBanco();
    return true;
}

void CupomMesa::item(Registros& rs) {
    idlanc_ = rs.texto("idlanc");
    comandaItem_ = ParaInteiro32(rs.texto("comanda"));
    pula_ = false;

    // The group's printers come with the item. A group without a printer
    // prints on the current printer.
    impressora_ = rs.textoOuVazio("Impressora");
    impressora2_ = rs.textoOuVazio("Impressora2");
    if (impressora_ == kNaoImprimir) {
        pula_ = true;
        marca(idlanc_, impressora_, true);
    } else if (impressora_ == kEtiqueta) {
        // The labels of the item's own comanda (the table's number may be
        // another comanda's); the item is marked with its label.
        GeraEtiqueta(ctx_, comandaItem_, idlanc_);
        pula_ = true;
    }

    if (comandaCabecalho_ != comandaRegistro_) {
        comandaCabecalho_ = comandaItem_;
        if (!pula_) cabecalhoA(rs);
    }
    if (Destino(impressora_, impressora2_) != destinoCabecalho_ || ctx_.cfg.ImpSeparado) {
        if (comandaCabecalho_ == comandaRegistro_ && !pula_) cabecalhoB(rs);
        destinoCabecalho_ = Destino(impressora_, impressora2_);
    }

    qtde_ = TextoPadrao(Quantidade(rs.campo("Qtde")));
    quantidade_ = Quantidade(rs.campo("Qtde"));
    const auto meia = rs.campo("idmeia");
    meia_ = meia ? ParaInteiro32(*meia) : 0;
    obs_ = Apara(rs.textoOuVazio("Obs"));
    descricao_ = rs.textoOuVazio("Descricao");
    if (const auto d2 = rs.campo("Descricao2"); d2 && !d2->empty()) descricao_ = Apara(*d2);

    if (!pula_) {
        linhasItem(rs);
        pedidoCupom_ = dados(comandaItem_, rs.campo("idpedido")).pedido;
        itensCupom_.emplace_back(idlanc_, descricao_);
    }

    comandaTexto_ = rs.texto("comanda");
    rs.proximo();

    if (rs.eof()) {
        if (!pula_) imprimeCupom(1);
        return;
    }
    if (!pula_) {
        const std::string proxima = rs.textoOuVazio("Impressora");
        const std::string proxima2 = rs.textoOuVazio("Impressora2");
        if (Destino(proxima, proxima2) != Destino(impressora_, impressora2_) || ctx_.cfg.ImpSeparado) {
            imprimeCupom(3);
            texto_.clear();
            pula_ = true;
        }
    }
    comandaRegistro_ = ParaInteiro32(rs.texto("comanda"));
    if (comandaRegistro_ != comandaCabecalho_ && !pula_) {
        imprimeCupom(5);
        texto_.clear();
    }
}

void CupomMesa::cabecalhoA(Registros& rs) {
    for (std::int32_t i = 0; i < ctx_.cfg.LinhasInicio; ++i) linha(" ");
    linha("PEDIDO DE MESA");
    linha(tracos());
    linhasComuns(rs);
}

void CupomMesa::cabecalhoB(Registros& rs) {
    linha(" ");
    for (std::int32_t i = 0; i < ctx_.cfg.LinhasInicio; ++i) linha(" ");
    linhasComuns(rs);
}

void CupomMesa::linhasComuns(Registros& rs) {
    const std::string nome = dados(comandaItem_, rs.campo("idpedido")).nome;
    if (!Apara(nome).empty()) linha(Maiusculas(nome));
    const std::string mesa = Apara(rs.textoOuVazio("mesa"));
    const std::string comanda = Apara(rs.texto("comanda"));
    if (rs.campo("mesa") && ParaInteiro32(mesa) == comandaItem_) {
        linha("MESA/COMANDA    ( " + mesa + " )");
    } else {
        linha("MESA         " + mesa);
        linha(tracos());
        linha("COMANDA      " + comanda);
    }
    linha(tracos());
    if (const auto lancado = rs.campo("lancado")) linha("ATENDENTE:   " + Apara(*lancado));
    else linha("ATENDENTE:");
    linha(tracos());
}

void CupomMesa::linhasItem(Registros& rs) {
    if (ctx_.cfg.GrupoCupom) {
        linha("Grupo  : " + rs.textoOuVazio("Nome"));
        linha(tracos());
    }
    if (meia_ > 0) linha("MEIA " + descricao_);
    else if (quantidade_ != ctx_.cfg.qtdMinimo || quantidade_ == Dinheiro::deUnidades(1))
        linha(Apara(qtde_) + " x " + descricao_);
    else linha("MEIA " + descricao_);

    if (!obs_.empty()) {
        if (obs_.find('/') == std::string::npos) {
            linha("Obs    : " + obs_);
        } else {
            std::size_t de = 0;
            while (true) {
                const auto barra = obs_.find('/', de);
                const std::string parte =
                    obs_.substr(de, barra == std::string::npos ? std::string::npos : barra - de);
                if (!Apara(parte).empty()) {
                    const auto seta = parte.find("->");
                    if (seta != std::string::npos) {
                        linha(" ");
                        linha(Maiusculas(parte.substr(0, seta)));
                        linha("   " + Maiusculas(parte.substr(seta + 2)));
                    } else {
                        linha("   " + parte);
                    }
                }
                if (barra == std::string::npos) break;
                de = barra + 1;
            }
        }
    }
    linha(tracos());
}

void CupomMesa::marca(const std::string& idlanc, const std::string& impressora, bool naoImprime) {
    banco_.AbreBanco2("Update ItemComanda set Impresso=true, impressora='" + banco_.Escapa(impressora) +
                      "' where idlanc = " + idlanc);
    ctx_.eventos.AdicionaEvento("Impresso registro " + idlanc + " Não imprime = " + (naoImprime ? "True" : "False"));
    banco_.FechaBanco2();
}

void CupomMesa::imprimeCupom(std::int16_t codigo) {
    const DataHora agora = ctx_.relogio.agora();
    linha(DataDDMMAAAA(agora) + " - " + HoraTexto(agora) + " - id:" + pedidoCupom_);
    linha("Registro: " + idlanc_);
    for (std::int32_t i = 0; i < ctx_.cfg.LinhaFim; ++i) linha(" ");

    const auto itens = std::move(itensCupom_);
    itensCupom_.clear();
    std::vector<std::string> chaves, chavesCopia;
    for (const auto& [idlanc, descricao] : itens) {
        chaves.push_back(ChaveImpressao("item", idlanc, impressora_));
        chavesCopia.push_back(ChaveImpressao("item", idlanc, impressora2_));
    }
    auto documento = [&](const std::string& impressora, const std::vector<std::string>& chavesDoc,
                         const TransacaoImpressao& t) {
        Documento d{impressora, Documento::Fonte::Cozinha, {texto_}};
        if (t.reimpressao(chavesDoc)) d.linhas.insert(d.linhas.begin(), kReimpressao);
        return d;
    };

    TransacaoImpressao t(ctx_);
    std::string motivo;
    const Documento cupom = documento(impressora_, chaves, t);
    if (!t.entrega(chaves, [&](std::string& m) { return Entrega(ctx_, cupom, m); }, motivo)) {
        // Rolled back: the items wait for the next print of the table.
        recusado_ = true;
        std::string lista;
        for (const auto& [idlanc, descricao] : itens) lista += (lista.empty() ? "" : ", ") + idlanc + " " + descricao;
        ctx_.eventos.AdicionaEvento("Cupom não aceito pela impressora " + impressora_ + ": " + motivo +
                                 " - itens continuam pendentes: " + lista);
        return;
    }
    // A ticket its printer refused and its backup took is marked with the backup.
    const std::string reserva = ctx_.impressao.reservaUsada();
    for (const auto& item : itens) marca(item.first, reserva.empty() ? impressora_ : reserva, false);
    LogImp(ctx_, impressora_, descricao_, comandaTexto_, codigo);

    if (!Copia(impressora2_).empty()) {
        const Documento copia = documento(impressora2_, chavesCopia, t);
        if (t.entrega(chavesCopia, [&](std::string& m) { return Entrega(ctx_, copia, m); }, motivo)) {
            LogImp(ctx_, impressora2_, descricao_, comandaTexto_, static_cast<std::int16_t>(codigo + 1));
        } else {
            // The ticket is on paper: the copy waits on its own, so that the
            // kitchen does not get the ticket again while the copy's printer
            // is down.
            ctx_.eventos.AdicionaEvento("Cópia do cupom não aceita pela impressora " + impressora2_ + ": " + motivo +
                                     " - fica pendente");
            t.adia(chavesCopia, "copia" + idlanc_, copia);
        }
    }
    t.confirma();
}

}  // namespace

std::string ConsultaNomeComanda(Contexto& ctx, std::int32_t comanda) {
    Banco& banco = ctx.banco;
    const std::string numero = std::to_string(comanda);
    std::string nome;
    Passo([&] {
        banco.AbreBanco2("Select Obs from Comanda where comanda = " + numero);
        if (banco.rs2().eof()) {
            banco.FechaBanco2();
            return;
        }
        nome = Apara(banco.rs2().textoOuVazio("Obs"));
        banco.FechaBanco2();
        banco.AbreBanco2("Select Nome, Veiculos from Clientes where Veiculos='" + numero +
                         "' or idCond=" + numero);
        if (!banco.rs2().eof()) nome += "/" + banco.rs2().textoOuVazio("Nome");
        banco.FechaBanco2();
    }, [&](const Erro&) {
        banco.FechaBanco2();
        nome.clear();
    });
    return nome;
}

bool ImprimeCupom(Contexto& ctx, std::int32_t mesa) {
    CupomMesa cupom(ctx, mesa);
    Passo([&] {
        if (!cupom.imprime()) return;
        Chama(ctx.procs.ExportaConsumos, ctx.cfg.txtPasta, std::to_string(ctx.varredura.ComandaAtual));
        if (!cupom.recusado()) ApagaPedido(ctx, mesa);
    }, [&](const Erro& e) {
        // The ticket being composed is dropped whole; its items were not
        // marked and wait for the next print.
        ctx.eventos.AdicionaEvento(std::string("Erro Impressao: ") + e.what());
        ApagaPedido(ctx, mesa);
        FechaBancosAposImpressao(ctx.eventos, ctx.banco);
    });
    return !cupom.recusado();
}

}  // namespace varelo
