#include <signal.h>

#include "base/errors.h"
#include "db/banco.h"
#include "tests/faults/faults.h"

namespace varelo::falhas {

bool Injetor::chega(Ponto ponto, const std::string& oQue) {
    const int n = ++contagem[ponto];
    if (aoChegar) aoChegar(ponto, oQue);
    if (!alvo || disparou || ponto != alvo->ponto || n != alvo->indice) return false;
    return disparou = true;
}

namespace {

[[noreturn]] void Morre() {
    ::raise(SIGKILL);
    __builtin_trap();  // not reached
}

[[noreturn]] void PerdeConexao() {
    throw ErroBanco(2013, "Lost connection to server during query (falha injetada)", "08S01");
}

}  // namespace

void Instala(Banco& banco, Injetor& injetor) {
    banco.defineGancho([&injetor](OperacaoBanco operacao, const std::string& sql) {
        if (operacao == OperacaoBanco::ComandoFeito || operacao == OperacaoBanco::ConfirmacaoFeita) {
            if (!injetor.perdaPendente) return;
            injetor.perdaPendente = false;
            if (injetor.alvo->modo == Modo::MataDepois) Morre();
            PerdeConexao();
        }
        if (!injetor.chega(Ponto::Comando, sql)) return;
        const Modo modo = injetor.alvo->modo;
        if (modo == Modo::Mata) Morre();
        // After the work: the answer is lost, or the process dies, once it is done.
        if ((injetor.perdaPendente = modo == Modo::MataDepois || modo == Modo::PerdaDepois)) return;
        // A rejected commit ends as a lost connection.
        if (modo == Modo::Recusa && operacao == OperacaoBanco::Comando)
            throw ErroBanco(1644, "Comando recusado pelo servidor (falha injetada)", "45000");
        PerdeConexao();
    });
}

bool ImpressaoComFalhas::terminaDocumento() {
    erro_.clear();
    const bool falha = temConteudo_ && injetor_.chega(Ponto::Trabalho);
    temConteudo_ = false;
    if (!falha) return real_.terminaDocumento();
    if (injetor_.alvo->modo == Modo::Mata) {
        real_.terminaDocumento();  // taken by the printer, then the lights go out
        Morre();
    }
    real_.descartaDocumento();
    erro_ = "trabalho recusado (falha injetada)";
    return false;
}

void ArquivosComFalhas::grava(const std::string& c, const std::string& b) {
    const bool etiqueta = !portaEtiqueta.empty() && c == portaEtiqueta;
    if (etiqueta && injetor_.chega(Ponto::Etiqueta)) throw Erro("Porta da etiqueta falhou (falha injetada): " + c);
    Disco::grava(c, b);
    if (etiqueta) etiquetas.push_back(b);
}

void ArquivosComFalhas::renomeacao(const std::string& caminho) {
    if (injetor_.chega(Ponto::Renomeacao)) throw Erro("Não foi possível renomear (falha injetada): " + caminho);
}

void ArquivosComFalhas::apaga(const std::string& c) {
    if (injetor_.chega(Ponto::Exclusao)) throw Erro("Permissão negada (falha injetada): " + c);
    Disco::apaga(c);
}

}  // namespace varelo::falhas
