#pragma once
#include <stdexcept>
#include <string>

namespace varelo {

// A run-time failure that the procedure meeting it handles itself: its
// description goes to the event list and the procedure goes on or returns.
// Number 75 marks a path or file access error (a folder that cannot be
// listed or read), which the scan logs without deleting anything.
class Erro : public std::runtime_error {
public:
    static constexpr long kAcessoArquivo = 75;
    explicit Erro(const std::string& descricao, long numero = 0)
        : std::runtime_error(descricao), numero_(numero) {}
    long numero() const { return numero_; }

private:
    long numero_;
};

// A failure of the database. It is deliberately not an Erro: no procedure's
// own handler may swallow it. It unwinds to the unit of work (one request,
// one check, one handler) that met it, which rolls back what it began.
//
// Two kinds call for different answers: a connection that is lost (or
// cannot be opened) is an outage, met by a pause and a retry; a statement
// that the server rejects (a trigger, a value its column refuses, a
// deadlock) fails again and again if nothing changes, so the request that
// sent it must not hold the others back.
class ErroBanco : public std::runtime_error {
public:
    // `estado` is the ODBC SQLSTATE ("08S01", "42S02", ...), empty when the
    // driver gave none.
    ErroBanco(long numero, const std::string& descricao, std::string estado = "")
        : std::runtime_error(descricao), numero_(numero), estado_(std::move(estado)) {}
    long numero() const { return numero_; }
    const std::string& estado() const { return estado_; }
    // True when the connection is gone or could not be made: SQLSTATE class
    // 08, a time-out, MySQL's "server has gone away", "lost connection",
    // "connection killed" and "server shutdown" codes, or the MariaDB
    // client's read and write errors on its socket (a killed session's next
    // statement sometimes ends with one of those instead).
    bool perdaDeConexao() const {
        if (estado_.rfind("08", 0) == 0 || estado_ == "HYT00" || estado_ == "HYT01") return true;
        switch (numero_) {
            case 1053: case 1927: case 2002: case 2003: case 2006: case 2013: case 2055: case 4031:
            case 5013: case 5014:
                return true;
            default:
                return estado_.empty();
        }
    }

private:
    long numero_;
    std::string estado_;
};

// A request that cannot be served now for a reason of the program's own (a
// journal that cannot be written): nothing of it is kept, it stays in the
// folder and is tried again at the next scan.
class PedidoAdiado : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file for the handhelds that could not be written: the old one stays
// whole and the export is run again at the next tick.
class ArquivoNaoGravado : public Erro {
public:
    using Erro::Erro;
};

// The server resolves table names with regard to letter case
// (lower_case_table_names=0): the order system's statements spell their
// tables in several cases, so the program cannot work with it.
class ServidorIncompativel : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace varelo
