#include "printing/labels.h"

#include <array>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "base/errors.h"
#include "base/event_list.h"
#include "base/files.h"
#include "base/money.h"
#include "base/record.h"
#include "base/regional.h"
#include "base/step.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "core/settings.h"
#include "core/user_settings.h"
#include "db/banco.h"
#include "db/sql.h"
#include "printing/document.h"
#include "printing/print_transaction.h"

namespace varelo {
namespace {

const std::string kCrLf = "\r\n";

// One label has a field for each of sixteen items.
constexpr std::size_t kItensPorEtiqueta = 16;
constexpr std::array<const char*, kItensPorEtiqueta> kCamposProduto = {
    "PRODA1", "PRODB1", "PRODC1", "PRODD1", "PRODE1", "PRODF1", "PRODG1", "PRODH1",
    "PRODI1", "PRODJ1", "PRODK1", "PRODL1", "PRODM1", "PRODN1", "PRODO1", "PRODP1"};

struct ItemEtiqueta {
    std::string idlanc;
    std::string idProduto;
    std::optional<std::string> descricao;  // nothing: take the product's
    std::string obs;
    Dinheiro qtde;
};

std::string SemEspacos(const std::string& texto) {
    const auto inicio = texto.find_first_not_of(' ');
    if (inicio == std::string::npos) return "";
    const auto fim = texto.find_last_not_of(' ');
    return texto.substr(inicio, fim - inicio + 1);
}

// Every occurrence of `campo`, left to right; the text put in is not
// searched again.
std::string Substitui(const std::string& linha, const std::string& campo, const std::string& valor) {
    std::string saida;
    std::size_t de = 0;
    for (auto achado = linha.find(campo); achado != std::string::npos;
         achado = linha.find(campo, de)) {
        saida.append(linha, de, achado - de);
        saida += valor;
        de = achado + campo.size();
    }
    saida.append(linha, de, std::string::npos);
    return saida;
}

// A text cut or filled with spaces to `largura` characters.
std::string LarguraFixa(const std::string& texto, std::size_t largura) {
    std::string saida;
    std::size_t caracteres = 0;
    for (std::size_t i = 0; i < texto.size() && caracteres < largura; ++caracteres) {
        const auto c = static_cast<unsigned char>(texto[i]);
        std::size_t n = 1;
        if (c >= 0xF0) n = 4;
        else if (c >= 0xE0) n = 3;
        else if (c >= 0xC0) n = 2;
        saida.append(texto, i, n);
        i += n;
    }
    saida.append(largura - caracteres, ' ');
    return saida;
}

// The lines of the template, each without its CR LF. The bytes between
// line ends are kept as they are: they may be printer commands.
std::vector<std::string> Linhas(const std::string& modelo) {
    std::vector<std::string> linhas;
    std::size_t de = 0;
    while (de < modelo.size()) {
        const auto fim = modelo.find(kCrLf, de);
        if (fim == std::string::npos) {
            linhas.push_back(modelo.substr(de));
            break;
        }
        linhas.push_back(modelo.substr(de, fim - de));
        de = fim + kCrLf.size();
    }
    return linhas;
}

// The number in "LPT3" or "com1:" when the text names such a port.
std::optional<int> NumeroPorta(const std::string& texto, const std::string& prefixo) {
    std::string t = texto;
    if (!t.empty() && t.back() == ':') t.pop_back();
    if (t.size() <= prefixo.size() || t.size() > prefixo.size() + 3) return std::nullopt;
    for (std::size_t i = 0; i < prefixo.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(t[i])) != prefixo[i]) return std::nullopt;
    int n = 0;
    for (std::size_t i = prefixo.size(); i < t.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(t[i]))) return std::nullopt;
        n = n * 10 + (t[i] - '0');
    }
    if (n < 1) return std::nullopt;
    return n;
}

Dinheiro Quantidade(const std::optional<std::string>& valor) {
    if (!valor || SemEspacos(*valor).empty()) return Dinheiro();
    return LeDinheiro(PontoParaVirgula(*valor));
}

// One label: the template with the fields of up to sixteen items.
std::string PreencheEtiqueta(Contexto& ctx, const std::vector<std::string>& modelo,
                             const std::vector<ItemEtiqueta>& itens, std::size_t primeiro,
                             const std::string& numero) {
    std::array<std::string, kItensPorEtiqueta> produtos;
    for (std::size_t i = 0; i < kItensPorEtiqueta && primeiro + i < itens.size(); ++i)
        produtos[i] = ParaCp1252(itens[primeiro + i].descricao.value_or(""));
    const std::string obs = ParaCp1252(itens[primeiro].obs);
    const DataHora agora = ctx.relogio.agora();
    const std::string dataHora = ParaCp1252(DataDDMMAAAA(agora) + " " + HoraTexto(agora).substr(0, 5));
    const std::string empresa = ParaCp1252(LarguraFixa(ctx.cfg.empresa.Nome, 50));

    std::string etiqueta;
    for (std::string linha : modelo) {
        for (std::size_t i = 0; i < kItensPorEtiqueta; ++i)
            linha = Substitui(linha, kCamposProduto[i], produtos[i]);
        linha = Substitui(linha, "OBSA1", obs);
        linha = Substitui(linha, "DATAHORA", dataHora);
        linha = Substitui(linha, "DADOSEMPRESA", empresa);
        linha = Substitui(linha, "NUMPEDIDO", numero);
        etiqueta += linha + kCrLf;
    }
    return etiqueta;
}

}  // namespace

std::string CaminhoEtiqueta(const std::string& pastaPrograma, const std::string& impEtiqueta) {
    if (const auto n = NumeroPorta(impEtiqueta, "LPT")) return "/dev/lp" + std::to_string(*n - 1);
    if (const auto n = NumeroPorta(impEtiqueta, "COM")) return "/dev/ttyS" + std::to_string(*n - 1);
    if (!impEtiqueta.empty() && impEtiqueta.front() == '/') return impEtiqueta;
    return Junta(pastaPrograma, impEtiqueta);
}

void GeraEtiqueta(Contexto& ctx, std::int32_t comanda, const std::string& itemCozinha) {
    const std::string numero = std::to_string(comanda);
    Banco& banco = ctx.banco;
    // The kitchen item of a label group is printed by its label, so its
    // mark goes with the label's.
    auto marcaItemCozinha = [&] {
        if (itemCozinha.empty()) return;
        banco.AbreBanco2("Update ItemComanda set Impresso=true, impressora='Etiqueta' where idlanc = " +
                         itemCozinha);
        ctx.eventos.AdicionaEvento("Impresso registro " + itemCozinha + " Não imprime = True");
        banco.FechaBanco2();
    };
    Passo([&] {
        const std::string caminhoModelo = Junta(ctx.pastaPrograma, "etiqueta.txt");
        if (!ctx.arquivos.podeLer(caminhoModelo)) {
            ctx.eventos.AdicionaEvento("Não foi encontrado o arquivo de modelo de etiqueta, etiqueta.txt");
            return;
        }

        banco.AbreBanco2("Select * from itemcomanda where Comanda = " + numero +
                         " and Etiqueta = False");
        Registros& rs2 = banco.rs2();
        if (rs2.eof()) {
            ctx.eventos.AdicionaEvento("Sem produtos a imprimir etiqueta, verifiqe se ja foram impressos");
            banco.FechaBanco2();
            marcaItemCozinha();  // its label went out with an earlier one
            return;
        }
        std::vector<ItemEtiqueta> itens;
        for (; !rs2.eof(); rs2.proximo()) {
            ItemEtiqueta item;
            item.idlanc = rs2.texto("idlanc");
            item.idProduto = rs2.textoOuVazio("idProduto");
            if (const auto d2 = rs2.campo("descricao2")) item.descricao = SemEspacos(*d2);
            if (const auto obs = rs2.campo("obs")) item.obs = SemEspacos(*obs);
            item.qtde = Quantidade(rs2.campo("qtde"));
            itens.push_back(std::move(item));
        }
        banco.FechaBanco2();

        // An item launched without its own description shows the product's.
        for (auto& item : itens) {
            if (item.descricao) continue;
            item.descricao = std::string();
            if (!EhInteiroSql(item.idProduto)) continue;
            banco.AbreBanco2("Select descricao from Produtos where codigo = " + item.idProduto);
            if (!banco.rs2().eof()) item.descricao = SemEspacos(banco.rs2().textoOuVazio("descricao"));
            banco.FechaBanco2();
        }

        const std::vector<std::string> modelo = Linhas(ctx.arquivos.le(caminhoModelo));
        std::string saida;
        for (std::size_t primeiro = 0; primeiro < itens.size(); primeiro += kItensPorEtiqueta) {
            const std::string etiqueta = PreencheEtiqueta(ctx, modelo, itens, primeiro, numero);
            const std::int32_t copias = ParaInteiro32(itens[primeiro].qtde.toDouble());
            for (std::int32_t i = 0; i < (copias > 1 ? copias : 1); ++i) saida += etiqueta + kCrLf;
        }
        const std::string porta = LeRegistro(ctx, kAplicacao, kSecaoRegistro, "ImpEtiqueta", "LPT1");

        // Only the items written: one launched meanwhile waits for its own
        // label. They are marked in one transaction with the label, which
        // commits only once the port took it.
        std::string idlancs;
        std::vector<std::string> chaves;
        for (const auto& item : itens) {
            idlancs += (idlancs.empty() ? "" : ",") + item.idlanc;
            chaves.push_back(ChaveImpressao("etiqueta", item.idlanc));
        }
        TransacaoImpressao t(ctx);
        if (t.reimpressao(chaves)) saida = ParaCp1252(kReimpressao) + kCrLf + saida;
        std::string motivo;
        const bool aceita = t.entrega(chaves, [&](std::string& m) {
            try {
                ctx.arquivos.grava(CaminhoEtiqueta(ctx.pastaPrograma, porta), saida);
                return true;
            } catch (const Erro& e) {
                m = e.what();
                return false;
            }
        }, motivo);
        if (!aceita) throw Erro(motivo);
        banco.AbreBanco2("Update itemcomanda set Etiqueta=true where Comanda = " + numero +
                         " and Etiqueta = False and idlanc in (" + idlancs + ")");
        banco.FechaBanco2();
        marcaItemCozinha();
        t.confirma();
    }, [&](const Erro& e) {
        banco.FechaBanco2();
        ctx.eventos.AdicionaEvento("Erro imprimindo a etiqueta!");
        ctx.eventos.AdicionaEvento(e.what());
    });
}

}  // namespace varelo
