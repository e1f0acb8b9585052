#pragma once
// The fault-point harness. Fault points: every place where the program meets
// the outside world (a database round trip, a print job, a label written to
// its port, a file renamed into place or deleted) is counted, and one of
// them, chosen by its kind and its number, fails. Built only for the fault
// tests.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/files.h"
#include "tests/support/delegating_printer.h"

namespace varelo {
class Banco;
}  // namespace varelo

namespace varelo::falhas {

enum class Ponto { Comando, Trabalho, Etiqueta, Renomeacao, Exclusao };
inline constexpr const char* kNomePonto[] = {"comando", "trabalho", "etiqueta", "renomeacao", "exclusao"};

// How a point fails. PerdaAntes: the connection is lost before the
// statement or commit reaches the server; PerdaDepois: lost after the server
// did the work, before its answer arrived; Recusa: the server rejects the
// statement; Falha: the printer refuses the job, the port, rename or
// deletion fails; Mata: the process dies there (after the job was taken, for
// a print job); MataDepois: it dies once the server did the round trip's work.
enum class Modo { PerdaAntes, PerdaDepois, Recusa, Falha, Mata, MataDepois };
inline constexpr const char* kNomeModo[] = {"perda-antes", "perda-depois", "recusa", "falha", "mata", "mata-depois"};

// One fault: the point's kind, its number in the run, how it fails.
struct Alvo { Ponto ponto; int indice; Modo modo; };

// Counts the points as the program reaches them and fails the chosen one.
struct Injetor {
    // The point is reached; true when this is the one that fails now.
    bool chega(Ponto ponto, const std::string& oQue = "");

    std::optional<Alvo> alvo;       // the point to fail, while armed
    bool disparou = false;          // it was reached
    std::map<Ponto, int> contagem;  // the points reached, by kind
    // For PerdaDepois and MataDepois: the round trip reached is to fail once done.
    bool perdaPendente = false;
    // Called at every point reached, with its kind and what it is (the
    // statement's text), before it fails.
    std::function<void(Ponto, const std::string&)> aoChegar;
};

// Hooks the injector into the database's round trips.
void Instala(Banco& banco, Injetor& injetor);

// The printing system with the injector on each ended document.
class ImpressaoComFalhas final : public ImpressaoDelegada {
public:
    ImpressaoComFalhas(SistemaImpressao& real, Injetor& injetor) : ImpressaoDelegada(real), injetor_(injetor) {}
    void imprime(const std::string& texto) override { real_.imprime(texto); temConteudo_ = true; }
    void descartaDocumento() override { real_.descartaDocumento(); temConteudo_ = false; }
    bool terminaDocumento() override;
    std::string ultimoErro() const override { return erro_.empty() ? real_.ultimoErro() : erro_; }

private:
    Injetor& injetor_;
    bool temConteudo_ = false;
    std::string erro_;
};

// The disk with the injector on label writes, renames and deletions. Every
// label written is kept, in order, as the printer would have it.
class ArquivosComFalhas final : public ArquivosDisco {
public:
    using Disco = ArquivosDisco;
    explicit ArquivosComFalhas(Injetor& injetor) : injetor_(injetor) {}
    std::string portaEtiqueta;  // writes to this path are the label printer's
    std::vector<std::string> etiquetas;

    void grava(const std::string& c, const std::string& b) override;
    void apaga(const std::string& c) override;
    void gravaAtomico(const std::string& c, const std::string& b) override { renomeacao(c); Disco::gravaAtomico(c, b); }
    void gravaDuravel(const std::string& c, const std::string& b) override { renomeacao(c); Disco::gravaDuravel(c, b); }
    void renomeia(const std::string& de, const std::string& a) override { renomeacao(de); Disco::renomeia(de, a); }

private:
    void renomeacao(const std::string& caminho);  // the rename point, before any rename
    Injetor& injetor_;
};

}  // namespace varelo::falhas
