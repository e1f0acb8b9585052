#include "db/odbc.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstring>

#include "base/encoding.h"
#include "base/errors.h"

namespace varelo::odbc {
namespace {

constexpr long kErroGenerico = -2147467259;  // what a driver-less failure reports

SQLWCHAR* W(std::u16string& s) { return reinterpret_cast<SQLWCHAR*>(s.data()); }

// The first diagnostic record of a handle, as the error to throw.
[[noreturn]] void Falha(SQLSMALLINT tipo, SQLHANDLE handle, const std::string& contexto) {
    SQLWCHAR estado[6] = {};
    SQLINTEGER nativo = 0;
    SQLWCHAR mensagem[1024] = {};
    SQLSMALLINT tamanho = 0;
    if (handle && SQL_SUCCEEDED(SQLGetDiagRecW(tipo, handle, 1, estado, &nativo, mensagem,
                                               sizeof mensagem / sizeof mensagem[0], &tamanho))) {
        const std::string texto =
            ParaUtf8(reinterpret_cast<const char16_t*>(mensagem),
                     std::min<std::size_t>(tamanho, sizeof mensagem / sizeof mensagem[0] - 1));
        throw ErroBanco(nativo != 0 ? nativo : kErroGenerico, texto,
                        ParaUtf8(reinterpret_cast<const char16_t*>(estado), 5));
    }
    throw ErroBanco(kErroGenerico, contexto);
}

void Verifica(SQLRETURN r, SQLSMALLINT tipo, SQLHANDLE handle, const char* contexto) {
    if (!SQL_SUCCEEDED(r) && r != SQL_NO_DATA) Falha(tipo, handle, contexto);
}

struct LiberaHandle {
    SQLSMALLINT tipo;
    void operator()(void* h) const {
        if (h) SQLFreeHandle(tipo, h);
    }
};
using Handle = std::unique_ptr<void, LiberaHandle>;

Handle Aloca(SQLSMALLINT tipo, SQLHANDLE pai, SQLSMALLINT tipoPai) {
    SQLHANDLE h = SQL_NULL_HANDLE;
    const SQLRETURN r = SQLAllocHandle(tipo, pai, &h);
    if (!SQL_SUCCEEDED(r)) Falha(tipoPai, pai, "Falha ao alocar um recurso do ODBC");
    return Handle(h, LiberaHandle{tipo});
}

// Reads one column of the current row as text (null detected).
Valor LeColuna(SQLHSTMT stmt, SQLUSMALLINT coluna) {
    std::u16string texto;
    char16_t pedaco[2048];
    for (;;) {
        SQLLEN indicador = 0;
        const SQLRETURN r = SQLGetData(stmt, coluna, SQL_C_WCHAR, pedaco, sizeof pedaco, &indicador);
        if (r == SQL_NO_DATA) break;
        Verifica(r, SQL_HANDLE_STMT, stmt, "Falha ao ler uma coluna");
        if (indicador == SQL_NULL_DATA) return std::nullopt;
        const std::size_t capacidade = sizeof pedaco / sizeof pedaco[0] - 1;
        std::size_t n = capacidade;
        if (indicador != SQL_NO_TOTAL && static_cast<std::size_t>(indicador) / sizeof(char16_t) < capacidade)
            n = static_cast<std::size_t>(indicador) / sizeof(char16_t);
        // The MariaDB driver (3.1) undercounts the length by one unit for
        // every character from U+xxD8 to U+xxDB ("Ø", "Ù", "Ú", "Û", ...),
        // taking it for the first half of a surrogate pair, though the text
        // it writes is whole and terminated. The terminator, when it stands
        // beyond the reported length, gives the real one; a text holding
        // U+0000 keeps the reported length.
        std::size_t terminador = 0;
        while (terminador < capacidade && pedaco[terminador] != u'\0') ++terminador;
        n = std::max(n, terminador);
        texto.append(pedaco, n);
        if (r == SQL_SUCCESS) break;  // SQL_SUCCESS_WITH_INFO means more to read
    }
    return ParaUtf8(texto.data(), texto.size());
}

}  // namespace

struct Conexao::Handles {
    Handle env{nullptr, LiberaHandle{SQL_HANDLE_ENV}};
    Handle dbc{nullptr, LiberaHandle{SQL_HANDLE_DBC}};
    bool aberta = false;
};

Conexao::Conexao() : h_(std::make_unique<Handles>()) {
    h_->env = Aloca(SQL_HANDLE_ENV, SQL_NULL_HANDLE, SQL_HANDLE_ENV);
    Verifica(SQLSetEnvAttr(h_->env.get(), SQL_ATTR_ODBC_VERSION,
                           reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
             SQL_HANDLE_ENV, h_->env.get(), "Falha ao preparar o ODBC");
}

Conexao::~Conexao() {
    try {
        fecha();
    } catch (...) {
    }
}

void Conexao::abre(const std::string& textoConexao) {
    fecha();
    h_->dbc = Aloca(SQL_HANDLE_DBC, h_->env.get(), SQL_HANDLE_ENV);
    std::u16string texto = ParaUtf16(textoConexao);
    SQLWCHAR saida[1024];
    SQLSMALLINT tamanho = 0;
    const SQLRETURN r = SQLDriverConnectW(h_->dbc.get(), nullptr, W(texto),
                                          static_cast<SQLSMALLINT>(texto.size()), saida, 1024,
                                          &tamanho, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(r)) {
        Handle dbc = std::move(h_->dbc);
        Falha(SQL_HANDLE_DBC, dbc.get(), "Falha ao conectar ao banco de dados");
    }
    h_->aberta = true;
}

void Conexao::fecha() {
    if (h_->aberta) {
        h_->aberta = false;
        SQLDisconnect(h_->dbc.get());
    }
    h_->dbc.reset();
}

bool Conexao::aberta() const { return h_->aberta; }

bool Conexao::viva() {
    if (!h_->aberta) return false;
    // The driver answers this by pinging the server.
    SQLUINTEGER morta = SQL_CD_TRUE;
    const SQLRETURN r = SQLGetConnectAttrW(h_->dbc.get(), SQL_ATTR_CONNECTION_DEAD, &morta, 0, nullptr);
    return SQL_SUCCEEDED(r) && morta == SQL_CD_FALSE;
}

std::unique_ptr<Resultado> Conexao::executa(const std::string& sql) {
    if (!h_->aberta) throw ErroBanco(kErroGenerico, "A conexão com o banco de dados está fechada");
    Handle stmt = Aloca(SQL_HANDLE_STMT, h_->dbc.get(), SQL_HANDLE_DBC);
    std::u16string texto = ParaUtf16(sql);
    const SQLRETURN r = SQLExecDirectW(stmt.get(), W(texto), static_cast<SQLINTEGER>(texto.size()));
    Verifica(r, SQL_HANDLE_STMT, stmt.get(), "Falha ao executar o comando");
    auto resultado = std::make_unique<Resultado>();
    SQLLEN afetadas = -1;
    if (SQL_SUCCEEDED(SQLRowCount(stmt.get(), &afetadas))) resultado->afetadas = afetadas;
    SQLSMALLINT colunas = 0;
    Verifica(SQLNumResultCols(stmt.get(), &colunas), SQL_HANDLE_STMT, stmt.get(),
             "Falha ao ler o resultado");
    for (SQLSMALLINT c = 1; c <= colunas; ++c) {
        SQLWCHAR nome[256] = {};
        SQLSMALLINT tamanho = 0, tipo = 0, casas = 0, nulo = 0;
        SQLULEN largura = 0;
        Verifica(SQLDescribeColW(stmt.get(), static_cast<SQLUSMALLINT>(c), nome, 256, &tamanho,
                                 &tipo, &largura, &casas, &nulo),
                 SQL_HANDLE_STMT, stmt.get(), "Falha ao ler o resultado");
        resultado->colunas.push_back(
            ParaUtf8(reinterpret_cast<const char16_t*>(nome), std::min<SQLSMALLINT>(tamanho, 255)));
    }
    if (colunas > 0) {
        for (;;) {
            const SQLRETURN f = SQLFetch(stmt.get());
            if (f == SQL_NO_DATA) break;
            Verifica(f, SQL_HANDLE_STMT, stmt.get(), "Falha ao ler o resultado");
            std::vector<Valor> linha;
            linha.reserve(static_cast<std::size_t>(colunas));
            for (SQLSMALLINT c = 1; c <= colunas; ++c)
                linha.push_back(LeColuna(stmt.get(), static_cast<SQLUSMALLINT>(c)));
            resultado->linhas.push_back(std::move(linha));
        }
    }
    return resultado;
}

void Conexao::autocommit(bool ligado) {
    Verifica(SQLSetConnectAttrW(h_->dbc.get(), SQL_ATTR_AUTOCOMMIT,
                                reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(
                                    ligado ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF)),
                                SQL_IS_UINTEGER),
             SQL_HANDLE_DBC, h_->dbc.get(), "Falha ao mudar o modo de transação");
}

void Conexao::confirma() {
    Verifica(SQLEndTran(SQL_HANDLE_DBC, h_->dbc.get(), SQL_COMMIT), SQL_HANDLE_DBC, h_->dbc.get(),
             "Falha ao confirmar a transação");
}

void Conexao::desfaz() {
    Verifica(SQLEndTran(SQL_HANDLE_DBC, h_->dbc.get(), SQL_ROLLBACK), SQL_HANDLE_DBC,
             h_->dbc.get(), "Falha ao desfazer a transação");
}

}  // namespace varelo::odbc
