#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "printing/print_journal.h"

namespace varelo {

struct Contexto;
struct Documento;
class Transacao;

// The marks that say a document was printed (ItemComanda.impresso,
// Etiqueta, iDelivery.impresso, Delivery.Comando, a bill's closing marks)
// and the hand-over of the document, as one unit:
//
//     TransacaoImpressao t(ctx);          // opens the database transaction
//     if (!t.entrega(chaves, documento, motivo)) return;   // refused: nothing marked
//     ... the marks, LogImp rows, a copy ...
//     t.confirma();
//
// A document the printer refuses leaves nothing marked, so its items wait
// for the next print; a failure before the commit rolls the marks back. The documents handed over are in the print
// journal until the commit, so that one printed again after a failure in
// between starts with kReimpressao. Without `comBanco` it has no database
// transaction: for a prepared print, whose mark is the removal of its file.
class TransacaoImpressao {
public:
    explicit TransacaoImpressao(Contexto& ctx, bool comBanco = true);
    ~TransacaoImpressao();
    TransacaoImpressao(const TransacaoImpressao&) = delete;
    TransacaoImpressao& operator=(const TransacaoImpressao&) = delete;

    // True when a document of these keys may already be on paper.
    bool reimpressao(const std::vector<std::string>& chaves) const;
    // Journals the keys, then hands the document over with `entrega`. False
    // when it was refused (its keys are forgotten again); `motivo` says why.
    bool entrega(const std::vector<std::string>& chaves,
                 const std::function<bool(std::string& motivo)>& entrega, std::string& motivo);
    // A document refused whose marks are committed all the same (a kitchen
    // copy, once its ticket is on paper): kept in the pending folder of the
    // program, printed by ImprimePendentes until the printer takes it, and
    // its keys journaled, so that printed again some other way it says it
    // is a repeat. Throws Erro when it cannot be kept.
    void adia(const std::vector<std::string>& chaves, const std::string& nome, const Documento& documento);
    // Commits the marks, then forgets the keys of the documents taken; with
    // `esquece` false they are kept, for a document whose mark is the
    // removal of its request file (see ChavePedido).
    void confirma(bool esquece = true);

private:
    Contexto& ctx_;
    DiarioImpressao diario_;
    std::unique_ptr<Transacao> transacao_;
    std::vector<std::string> entregues_;
};

// The journal of the program's folder.
DiarioImpressao DiarioDaImpressao(Contexto& ctx);

// The key of an item (or delivery item, label) on a printer: what the
// journal knows a document by.
std::string ChaveImpressao(const std::string& tipo, const std::string& id, const std::string& impressora = "");

// The key of a document that a request file asked for (a bill, a prepared
// print): the file as it is now. The document is a repeat while that file
// is still there; once it is gone the key is forgotten (EsqueceSeApagado).
std::string ChavePedido(Contexto& ctx, const std::string& caminho);
// Forgets the request's key when its file is gone.
void EsqueceSeApagado(Contexto& ctx, const std::string& caminho, const std::string& chave);

// At start-up: forgets the keys of requests whose file is gone or was
// written again since.
void ReconciliaImpressoes(Contexto& ctx);

// Prints the documents waiting in the pending folder ("pendentes" in the
// program's folder), oldest first, as prepared prints; stops at the first
// that a printer refuses. Run after every scan.
void ImprimePendentes(Contexto& ctx);

}  // namespace varelo
