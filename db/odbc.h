#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace varelo::odbc {

// A thin wrapper over the ODBC C API. Texts are UTF-8 here and travel as
// UTF-16 through the wide calls, so accented text survives whatever the
// connection's character set is. Every failure throws ErroBanco.

using Valor = std::optional<std::string>;

class Resultado;

class Conexao {
public:
    Conexao();
    ~Conexao();
    Conexao(const Conexao&) = delete;
    Conexao& operator=(const Conexao&) = delete;

    void abre(const std::string& textoConexao);
    void fecha();
    bool aberta() const;
    // False when the server closed the connection (restart, wait_timeout,
    // KILL): asks the server, one round trip.
    bool viva();
    // Runs a statement; a query's rows are read at once into the result.
    std::unique_ptr<Resultado> executa(const std::string& sql);
    void autocommit(bool ligado);
    void confirma();
    void desfaz();

private:
    struct Handles;
    std::unique_ptr<Handles> h_;
};

// The rows of one statement, read forward. Column names keep the server's
// spelling; lookups ignore letter case.
class Resultado {
public:
    std::vector<std::string> colunas;
    std::vector<std::vector<Valor>> linhas;
    // Rows that an Insert, Update or Delete changed; -1 when not known.
    long long afetadas = -1;
};

}  // namespace varelo::odbc
