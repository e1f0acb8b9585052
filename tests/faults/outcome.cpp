#include "tests/faults/outcome.h"

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <set>

#include "core/context.h"
#include "db/banco.h"
#include "printing/document.h"
#include "tests/support/test_context.h"
#include "transactions/scan.h"

namespace varelo::falhas {
namespace {

// A document as lines, without the repeat line; `repetido` tells whether it
// had one.
Linhas Separa(const std::string& texto, const std::string& fim, bool& repetido) {
    Linhas linhas;
    std::size_t de = 0;
    for (std::size_t ate; (ate = texto.find(fim, de)) != std::string::npos; de = ate + fim.size())
        linhas.push_back(texto.substr(de, ate - de));
    if (de < texto.size()) linhas.push_back(texto.substr(de));
    repetido = !linhas.empty() && linhas.front() == kReimpressao;
    if (repetido) linhas.erase(linhas.begin());
    return linhas;
}

bool Comeca(const std::string& linha, const std::string& prefixo) { return linha.rfind(prefixo, 0) == 0; }

long Quantas(const Linhas& linhas, const std::string& prefixo) {
    return std::count_if(linhas.begin(), linhas.end(), [&](const std::string& l) { return Comeca(l, prefixo); });
}

// "dd/mm/yyyy - hh:mm:ss"
bool LinhaDeData(const std::string& l) {
    static const std::string kForma = "dd/dd/dddd - dd:dd:dd";
    if (l.size() != kForma.size()) return false;
    for (std::size_t i = 0; i < l.size(); ++i)
        if (kForma[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(l[i])) : l[i] != kForma[i]) return false;
    return true;
}

// The last line that is not one of the blank feed lines.
std::size_t UltimaEscrita(const Linhas& l) {
    std::size_t i = l.size();
    while (i > 0 && l[i - 1] == " ") --i;
    return i == 0 ? 0 : i - 1;
}

// Why a printed document is not whole, or "" when it is.
std::string Rasgo(const std::string& impressora, const Linhas& l) {
    if (l.empty()) return "documento vazio";
    if (impressora == "etiqueta") {
        // Each copy: the number line, three product lines, the blank after it.
        if (l.size() % 5 != 0) return "etiqueta com linhas a mais ou a menos";
        for (std::size_t i = 0; i < l.size(); i += 5)
            if (!Comeca(l[i], "ETIQUETA ") || !l[i + 4].empty()) return "etiqueta sem começo ou fim";
        return "";
    }
    if (Quantas(l, "Venda No") > 0) {
        if (Quantas(l, "Venda No") != 1 || Quantas(l, "TOTAL A PAGAR") != 1) return "conta com partes de outra";
        if (l.front() != "Restaurante" || !Comeca(l[UltimaEscrita(l)], "Varelo Tecnologia - ")) return "conta cortada";
        return "";
    }
    if (Quantas(l, "DELIVERY (") > 0) {
        if (Quantas(l, "DELIVERY (") != Quantas(l, "Item ")) return "delivery com item pela metade";
        // It ends with its date line, or, when the order's last item is not
        // printed, with the dashes that close its last item.
        const auto datas = std::count_if(l.begin(), l.end(), LinhaDeData);
        const std::string& ultima = l[UltimaEscrita(l)];
        if (datas > 1 || (datas == 1 ? !LinhaDeData(ultima) : ultima != std::string(48, '-')))
            return "delivery sem o fim ou com dois";
        return "";
    }
    if (Quantas(l, "Registro: ") > 0) {
        const auto registro = std::find_if(l.begin(), l.end(), [](const std::string& x) { return Comeca(x, "Registro: "); });
        if (Quantas(l, "Registro: ") != 1 || Quantas(l, "PEDIDO DE MESA") > 1) return "cupom com partes de outro";
        if (!l.front().empty() || registro == l.begin() || (registro - 1)->find(" - id:") == std::string::npos)
            return "cupom sem começo ou sem a data";
        if (std::any_of(registro + 1, l.end(), [](const std::string& x) { return x != " "; })) return "cupom com algo depois do fim";
        return "";
    }
    if (Quantas(l, "Retirar ") == 1 && l.size() == 2 && l[1] == "no balcao") return "";
    return "documento que não é de nenhum tipo";
}

// The markers a document carries: the remarks of kitchen and delivery
// items, the product lines of a label, the bill's comanda, a prepared
// print's line.
Linhas Marcas(const std::string& impressora, const Linhas& l) {
    Linhas marcas;
    for (std::size_t i = 0; i < l.size(); ++i) {
        const std::string& x = l[i];
        if (Comeca(x, "Obs    : ")) marcas.push_back(x.substr(9));
        else if (Comeca(x, "Comanda:  ")) marcas.push_back("conta " + x.substr(10));
        else if (Comeca(x, "Retirar ")) marcas.push_back(x.substr(8));
        else if (impressora == "etiqueta" && Comeca(x, "Bolo ")) marcas.push_back(x.substr(5));
    }
    return marcas;
}

struct Papel {
    long vezes = 0;
    long semAviso = 0;  // copies after the first that lack the repeat line
};

// Every marker on paper, per printer: how often, and how often again
// without saying so.
std::map<std::string, Papel> NoPapel(const Resultado& r, Linhas* rasgados) {
    std::map<std::string, Papel> papel;
    for (const auto& [impressora, documentos] : r.documentos) {
        const std::string fim = impressora == "etiqueta" ? "\r\n" : "\n";
        for (std::size_t d = 0; d < documentos.size(); ++d) {
            bool repetido = false;
            const Linhas linhas = Separa(documentos[d], fim, repetido);
            const std::string rasgo = Rasgo(impressora, linhas);
            if (rasgados && !rasgo.empty())
                rasgados->push_back(impressora + " documento " + std::to_string(d + 1) + ": " + rasgo);
            // A label repeats its items once per copy: one marker per write.
            std::set<std::string> vistos;
            for (const std::string& m : Marcas(impressora, linhas)) {
                if (!vistos.insert(m).second) continue;
                Papel& p = papel[impressora + " " + m];
                if (p.vezes++ > 0 && !repetido) ++p.semAviso;
            }
        }
    }
    return papel;
}

template <typename Mapa, typename Acao>
void ParaCada(const Mapa& a, const Mapa& b, Acao acao) {
    std::set<std::string> chaves;
    for (const auto& [k, v] : a) chaves.insert(k);
    for (const auto& [k, v] : b) chaves.insert(k);
    for (const auto& k : chaves) acao(k);
}

template <typename Mapa>
typename Mapa::mapped_type Valor(const Mapa& m, const std::string& k) {
    const auto i = m.find(k);
    return i == m.end() ? typename Mapa::mapped_type{} : i->second;
}

}  // namespace

void Relata(const std::string& cenario, const Alvo& alvo, const Veredito& v, const Resultado& r) {
    std::printf("  %s, %s %d (%s):\n", cenario.c_str(), NomePonto(alvo.ponto), alvo.indice, NomeModo(alvo.modo));
    for (const Linhas* l : {&v.perdidos, &v.dobrados, &v.rasgados})
        for (const std::string& linha : *l) std::printf("    %s\n", linha.c_str());
    const std::size_t de = r.eventos.size() > 25 ? r.eventos.size() - 25 : 0;
    for (std::size_t i = de; i < r.eventos.size(); ++i) std::printf("      | %s\n", r.eventos[i].c_str());
}

bool Placar::conta(const Veredito& v) {
    ++tentados;
    perdidos += !v.perdidos.empty();
    dobrados += !v.dobrados.empty();
    rasgados += !v.rasgados.empty();
    return !v.perdidos.empty() || !v.dobrados.empty() || !v.rasgados.empty();
}

namespace {

bool EhArquivoPalm(const std::string& nome) {
    return nome == "cadpro.txt" || nome == "atendentes.txt" || nome == "Comandas.txt" || nome == "cadqtde.txt" ||
           nome == "cadobs.txt" || nome.rfind("ConsumoComanda", 0) == 0;
}

std::map<std::string, long> Contagem(ContextoTeste& t, const std::string& sql) {
    std::map<std::string, long> contagem;
    Banco& b = t.banco;
    for (b.AbreBanco3(sql); !b.rs3().eof(); b.rs3().proximo())
        contagem[b.rs3().textoOuVazio("k")] = std::stol(b.rs3().texto("n"));
    b.FechaBanco3();
    return contagem;
}

}  // namespace

Resultado Colhe(ContextoTeste& t, const Linhas& etiquetas) {
    Resultado r;
    for (const char* impressora : {"default", "cozinha", "bar"}) r.documentos[impressora] = t.documentos(impressora);
    r.documentos["etiqueta"] = etiquetas;
    const std::string pasta = t.pastaComandas();
    for (const std::string& nome : t.arquivos.disco.lista(pasta)) {
        const std::string conteudo = t.arquivos.disco.le(Junta(pasta, nome));
        if (!TipoDoPedido(nome).empty()) r.pedidosRestantes.push_back(nome);
        else if (nome.rfind("okComanda", 0) == 0 || nome.rfind("erro", 0) == 0) r.respostas[nome] = conteudo;
        else if (EhArquivoPalm(nome)) r.arquivosPalm[nome] = conteudo;
    }
    const std::string rejeitados = Junta(pasta, "rejeitados");
    if (t.arquivos.disco.ehPasta(rejeitados))
        for (const std::string& nome : t.arquivos.disco.lista(rejeitados)) r.pedidosRestantes.push_back("rejeitados/" + nome);
    t.banco.abandona();  // the program's connection may have died with it
    r.itensPorMarca = Contagem(t, "Select Obs as k, count(*) as n from (Select Obs from ItemComanda union all "
                                  "Select OBS as Obs from mitemcomanda) x group by Obs");
    for (const char* sql :
         {"Select concat('mcomanda ', Comanda) as k, count(*) as n from mcomanda group by Comanda",
          "Select concat('mitemcomanda ', OBS) as k, count(*) as n from mitemcomanda group by OBS",
          "Select concat('mPagamentos ', coalesce(Pedido, '-')) as k, count(*) as n from mPagamentos group by Pedido",
          "Select concat('Logs ', log) as k, count(*) as n from Logs where log like 'PALM Incluido%' or "
          "log like 'Auto receb%' group by log"})
        for (const auto& [k, n] : Contagem(t, sql)) r.historico[k] = n;
    r.eventos = t.eventos.linhas();
    return r;
}

Linhas ProblemasDaReferencia(const Resultado& r) {
    Linhas problemas;
    for (const auto& p : r.pedidosRestantes) problemas.push_back("pedido sem resposta: " + p);
    for (const auto& [marca, papel] : NoPapel(r, &problemas))
        if (papel.vezes != 1) problemas.push_back(marca + " no papel " + std::to_string(papel.vezes) + " vezes");
    return problemas;
}

Veredito Compara(const Resultado& ref, const Resultado& r, bool reinicio) {
    Veredito v;
    for (const auto& p : r.pedidosRestantes) v.perdidos.push_back("pedido sem resposta: " + p);
    for (const auto& [nome, conteudo] : ref.respostas)
        if (!reinicio && Valor(r.respostas, nome) != conteudo)
            v.perdidos.push_back("resposta " + nome + " faltando ou outra");
    for (const auto& [nome, conteudo] : r.respostas)
        if (Valor(ref.respostas, nome) != conteudo) v.perdidos.push_back("resposta " + nome + " outra: " + conteudo);

    // One item per inclusion answered ok; none for one answered erro.
    ParaCada(ref.itensPorMarca, r.itensPorMarca, [&](const std::string& marca) {
        const long esperado = Valor(ref.itensPorMarca, marca), visto = Valor(r.itensPorMarca, marca);
        if (visto < esperado) v.perdidos.push_back("item " + marca + ": " + std::to_string(visto) + " linhas");
        if (visto > esperado) v.dobrados.push_back("item " + marca + ": " + std::to_string(visto) + " linhas");
    });
    ParaCada(ref.historico, r.historico, [&](const std::string& chave) {
        const long esperado = Valor(ref.historico, chave), visto = Valor(r.historico, chave);
        if (visto < esperado) v.perdidos.push_back(chave + ": " + std::to_string(visto) + " no histórico");
        if (visto > esperado) v.dobrados.push_back(chave + ": " + std::to_string(visto) + " no histórico");
    });

    // On paper at least once what the run without faults printed, and more
    // than once only behind the repeat line.
    const auto papelRef = NoPapel(ref, nullptr);
    const auto papel = NoPapel(r, &v.rasgados);
    for (const auto& [marca, p] : papelRef)
        if (Valor(papel, marca).vezes == 0) v.perdidos.push_back(marca + " não saiu no papel");
    for (const auto& [marca, p] : papel)
        if (p.semAviso > 0) v.dobrados.push_back(marca + " repetido sem " + kReimpressao);

    // The handhelds' files end as the run without faults left them: whole,
    // and exported again after whatever cut them short. (Rows of one product
    // come in the server's order, so lines are compared as a set.)
    ParaCada(ref.arquivosPalm, r.arquivosPalm, [&](const std::string& nome) {
        if (reinicio && nome == "Comandas.txt") {
            for (const char c : Valor(r.arquivosPalm, nome))
                if (!std::isdigit(static_cast<unsigned char>(c)) && c != '\r' && c != '\n')
                    v.rasgados.push_back("arquivo Comandas.txt com algo que não é um número");
            return;
        }
        bool repetido = false;
        Linhas a = Separa(Valor(ref.arquivosPalm, nome), "\r\n", repetido);
        Linhas b = Separa(Valor(r.arquivosPalm, nome), "\r\n", repetido);
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        if (a != b || ref.arquivosPalm.count(nome) != r.arquivosPalm.count(nome))
            v.rasgados.push_back("arquivo " + nome + " diferente do completo");
    });
    return v;
}

}  // namespace varelo::falhas
