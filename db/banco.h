#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/credentials.h"

namespace varelo {

class ErroBanco;
class ListaEventos;
namespace odbc {
class Conexao;
class Resultado;
}  // namespace odbc

// One of the three shared result sets: the rows of the last statement run
// into it, read forward, columns by name without regard to case.
// A released or empty result set is at its end.
class Registros {
public:
    bool eof() const;
    void proximo();
    // The column of the current row; nothing for a null. A name the result
    // does not have, or reading past the end, throws Erro.
    std::optional<std::string> campo(const std::string& nome) const;
    // The column as text; a null throws Erro ("Uso inválido de Nulo").
    std::string texto(const std::string& nome) const;
    std::string textoOuVazio(const std::string& nome) const;
    bool ehNulo(const std::string& nome) const;

    // Rows that the statement changed (Insert, Update, Delete); -1 unknown.
    long long afetadas() const;
    // The names of the columns, in the statement's order.
    std::vector<std::string> colunas() const;

    void preenche(std::unique_ptr<odbc::Resultado> r);
    void libera();

private:
    std::size_t indiceColuna(const std::string& nome) const;
    std::shared_ptr<odbc::Resultado> r_;
    std::size_t linha_ = 0;
};

// The connection string, built anew at every opening. Without credentials
// it is the order system's fixed one; a user or password that holds ";",
// "{" or "}" (or spaces at an end) is written between braces.
std::string TextoConexao(const std::string& driver, const std::string& servidor,
                         const Credenciais& credenciais = {});

// A round trip to the server, as a hook sees it: before it goes out, and
// after the server answered (what the hook throws then is a failure of a
// round trip whose work the server did).
enum class OperacaoBanco { Comando, ComandoFeito, Confirmacao, ConfirmacaoFeita };

// The shared connection `cn` and its three result sets. Statements are run
// with AbreBanco (into rs), AbreBanco2 (rs2) or AbreBanco3 (rs3), which open
// the connection when it is closed. A failure adds its line to the event
// list (and, for a lost connection, the line of the pause) and throws
// ErroBanco.
//
// Each opening reads the session's sql_mode, so that texts are quoted right
// for it, and refuses a server that tells table names apart by case
// (ServidorIncompativel).
class Banco {
public:
    Banco(ListaEventos& eventos, std::function<std::string()> driver,
          std::function<std::string()> servidor,
          std::function<Credenciais()> credenciais = {});
    ~Banco();

    std::int16_t AbreBanco(const std::string& sql);
    std::int16_t AbreBanco2(const std::string& sql);
    std::int16_t AbreBanco3(const std::string& sql);
    // Releases rs and closes the connection as the statements see it. The
    // physical ODBC connection stays open underneath, so that no statement
    // pays for a new one; abandona() drops it after a failure.
    void FechaBanco();
    void FechaBanco2();
    void FechaBanco3();

    Registros& rs() { return rs_; }
    Registros& rs2() { return rs2_; }
    Registros& rs3() { return rs3_; }

    // Each statement text, just before it is sent.
    void observaSql(std::function<void(const std::string&)> observador);
    // Called around every round trip (statements, the session reading of an
    // opening, commits); what it throws takes the place of the round trip's
    // outcome.
    // One hook; nothing is installed by the program itself.
    using Gancho = std::function<void(OperacaoBanco, const std::string&)>;
    void defineGancho(Gancho gancho) { gancho_ = std::move(gancho); }

    // Marks the start of a unit of work (one request, one check, one
    // button): before its first statement the connection is asked whether
    // it is still alive, and opened again silently when the server closed
    // it. A failure after that is the unit's own.
    void novaUnidade() { verificar_ = true; }

    // A text made safe to stand between apostrophes under the session's
    // sql_mode. A text that holds a backslash opens the connection first,
    // when it is closed, to learn the mode.
    std::string Escapa(std::string_view texto);

    // After a database failure: rolls back what was begun, closes the
    // connection and releases the result sets, ignoring further errors.
    void abandona();

private:
    friend class Transacao;
    std::int16_t Abre(Registros& destino, const std::string& prefixo, const std::string& sql);
    void abreConexao();
    void leSessao();
    // A failure's event line; a lost connection adds the line of the pause.
    void registraFalha(const std::string& linha, const ErroBanco& e);
    void chamaGancho(OperacaoBanco operacao, const std::string& sql);

    ListaEventos& eventos_;
    std::function<std::string()> driver_, servidor_;
    std::function<Credenciais()> credenciais_;
    std::string textoAberto_;  // the connection string of the open connection
    std::unique_ptr<odbc::Conexao> cn_;
    Registros rs_, rs2_, rs3_;
    std::vector<std::function<void(const std::string&)>> observadores_;
    Gancho gancho_;
    int transacoes_ = 0;
    bool verificar_ = false;
    bool semBarraInvertida_ = false;  // NO_BACKSLASH_ESCAPES in the session
};

// A group of statements that is kept whole or not at all: rolled back when
// the object goes away without confirma(). The connection is opened here.
class Transacao {
public:
    explicit Transacao(Banco& banco);
    ~Transacao();
    Transacao(const Transacao&) = delete;
    Transacao& operator=(const Transacao&) = delete;
    void confirma();

private:
    Banco& banco_;
    bool ativa_ = true;
};

}  // namespace varelo
