#include "tests/faults/injection.h"

#include <signal.h>

#include "base/errors.h"
#include "db/banco.h"

namespace varelo::falhas {

const char* NomePonto(Ponto p) {
    switch (p) {
        case Ponto::Comando: return "comando";
        case Ponto::Trabalho: return "trabalho";
        case Ponto::Etiqueta: return "etiqueta";
        case Ponto::Renomeacao: return "renomeacao";
        case Ponto::Exclusao: return "exclusao";
    }
    return "?";
}

const char* NomeModo(Modo m) {
    switch (m) {
        case Modo::PerdaAntes: return "perda-antes";
        case Modo::PerdaDepois: return "perda-depois";
        case Modo::Recusa: return "recusa";
        case Modo::Falha: return "falha";
        case Modo::Mata: return "mata";
        case Modo::MataDepois: return "mata-depois";
    }
    return "?";
}

void Injetor::arma(Ponto ponto, int indice, Modo modo) {
    armado_ = true;
    disparou_ = false;
    perdaPendente = false;
    ponto_ = ponto;
    indice_ = indice;
    modo_ = modo;
}

void Injetor::desarma() {
    armado_ = false;
    perdaPendente = false;
}

bool Injetor::chega(Ponto ponto, const std::string& oQue) {
    const int n = ++contagem_[ponto];
    if (aoChegar) aoChegar(ponto, oQue);
    if (!armado_ || disparou_ || ponto != ponto_ || n != indice_) return false;
    disparou_ = true;
    return true;
}

namespace {

[[noreturn]] void Morre() {
    ::raise(SIGKILL);
    for (;;) {
    }
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
            if (injetor.modo() == Modo::MataDepois) Morre();
            PerdeConexao();
        }
        if (!injetor.chega(Ponto::Comando, sql)) return;
        switch (injetor.modo()) {
            case Modo::Mata: Morre();
            case Modo::MataDepois:
            case Modo::PerdaDepois: injetor.perdaPendente = true; return;
            case Modo::Recusa:
                if (operacao == OperacaoBanco::Comando)
                    throw ErroBanco(1644, "Comando recusado pelo servidor (falha injetada)", "45000");
                PerdeConexao();
            default: PerdeConexao();
        }
    });
}

void ImpressaoComFalhas::imprime(const std::string& texto) {
    real_.imprime(texto);
    temConteudo_ = true;
}

void ImpressaoComFalhas::descartaDocumento() {
    temConteudo_ = false;
    real_.descartaDocumento();
}

bool ImpressaoComFalhas::terminaDocumento() {
    erro_.clear();
    if (!temConteudo_) return real_.terminaDocumento();
    temConteudo_ = false;
    if (!injetor_.chega(Ponto::Trabalho)) return real_.terminaDocumento();
    if (injetor_.modo() == Modo::Mata) {
        // Taken by the printer, then the lights go out.
        real_.terminaDocumento();
        Morre();
    }
    real_.descartaDocumento();
    erro_ = "trabalho recusado (falha injetada)";
    return false;
}

void ArquivosComFalhas::grava(const std::string& c, const std::string& b) {
    if (!portaEtiqueta.empty() && c == portaEtiqueta) {
        if (injetor_.chega(Ponto::Etiqueta)) throw Erro("Porta da etiqueta falhou (falha injetada): " + c);
        real_.grava(c, b);
        etiquetas.push_back(b);
        return;
    }
    real_.grava(c, b);
}

void ArquivosComFalhas::renomeacao(const std::string& caminho) {
    if (injetor_.chega(Ponto::Renomeacao)) throw Erro("Não foi possível renomear (falha injetada): " + caminho);
}

void ArquivosComFalhas::gravaAtomico(const std::string& c, const std::string& b) {
    renomeacao(c);
    real_.gravaAtomico(c, b);
}

void ArquivosComFalhas::gravaDuravel(const std::string& c, const std::string& b) {
    renomeacao(c);
    real_.gravaDuravel(c, b);
}

void ArquivosComFalhas::renomeia(const std::string& de, const std::string& para) {
    renomeacao(de);
    real_.renomeia(de, para);
}

void ArquivosComFalhas::apaga(const std::string& c) {
    if (injetor_.chega(Ponto::Exclusao)) throw Erro("Permissão negada (falha injetada): " + c);
    real_.apaga(c);
}

}  // namespace varelo::falhas
