#include "db/banco.h"

#include <cctype>

#include "base/errors.h"
#include "base/event_list.h"
#include "db/odbc.h"
#include "db/sql.h"

namespace varelo {
namespace {

bool MesmoNome(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

// ---- Registros --------------------------------------------------------------

bool Registros::eof() const { return !r_ || linha_ >= r_->linhas.size(); }

void Registros::proximo() {
    if (!eof()) ++linha_;
}

std::vector<std::string> Registros::colunas() const {
    return r_ ? r_->colunas : std::vector<std::string>{};
}

std::size_t Registros::indiceColuna(const std::string& nome) const {
    if (eof()) throw Erro("Nenhum registro atual ao ler " + nome);
    for (std::size_t i = 0; i < r_->colunas.size(); ++i)
        if (MesmoNome(r_->colunas[i], nome)) return i;
    throw Erro("Item não encontrado na coleção: " + nome);
}

std::optional<std::string> Registros::campo(const std::string& nome) const {
    return r_->linhas[linha_][indiceColuna(nome)];
}

std::string Registros::texto(const std::string& nome) const {
    auto v = campo(nome);
    if (!v) throw Erro("Uso inválido de Nulo: " + nome);
    return *v;
}

std::string Registros::textoOuVazio(const std::string& nome) const {
    return campo(nome).value_or("");
}

bool Registros::ehNulo(const std::string& nome) const { return !campo(nome).has_value(); }

long long Registros::afetadas() const { return r_ ? r_->afetadas : -1; }

void Registros::preenche(std::unique_ptr<odbc::Resultado> r) {
    r_ = std::move(r);
    linha_ = 0;
}

void Registros::libera() {
    r_.reset();
    linha_ = 0;
}

// ---- Banco ------------------------------------------------------------------

namespace {

// An attribute value as ODBC reads it: between braces, with "}" doubled,
// when it would otherwise end the attribute.
std::string ValorAtributo(const std::string& v) {
    const bool precisa = v.find_first_of(";{}") != std::string::npos ||
                         (!v.empty() && (v.front() == ' ' || v.back() == ' '));
    if (!precisa) return v;
    std::string r = "{";
    for (char c : v) r += c == '}' ? std::string("}}") : std::string(1, c);
    return r + "}";
}

}  // namespace

std::string TextoConexao(const std::string& driver, const std::string& servidor,
                         const Credenciais& credenciais) {
    return "Driver={" + driver + "};Server=" + servidor +
           ";Trusted_Connection=Yes;Database=varelo;uid=" +
           ValorAtributo(credenciais.usuario.value_or("root")) +
           ";pwd=" + ValorAtributo(credenciais.senha.value_or("qzx48216"));
}

Banco::Banco(ListaEventos& eventos, std::function<std::string()> driver,
             std::function<std::string()> servidor, std::function<Credenciais()> credenciais)
    : eventos_(eventos),
      driver_(std::move(driver)),
      servidor_(std::move(servidor)),
      credenciais_(std::move(credenciais)),
      cn_(std::make_unique<odbc::Conexao>()) {}

Banco::~Banco() = default;

void Banco::observaSql(std::function<void(const std::string&)> observador) {
    observadores_.push_back(std::move(observador));
}

void Banco::chamaGancho(OperacaoBanco operacao, const std::string& sql) {
    if (gancho_) gancho_(operacao, sql);
}

void Banco::abreConexao() {
    const std::string texto =
        TextoConexao(driver_(), servidor_(), credenciais_ ? credenciais_() : Credenciais{});
    if (cn_->aberta() && texto == textoAberto_) {
        if (!verificar_) return;
        verificar_ = false;
        // Closed by the server since the last unit (restart, wait_timeout,
        // an administrator's KILL): opened again below without a word.
        if (cn_->viva()) return;
        cn_->fecha();
    }
    verificar_ = false;
    textoAberto_.clear();
    try {
        cn_->abre(texto);
    } catch (const ErroBanco& e) {
        // Whatever the server said (access denied, unknown database), no
        // connection is an outage, met by the pause.
        if (e.perdaDeConexao()) throw;
        throw ErroBanco(e.numero(), e.what(), "08004");
    }
    try {
        leSessao();
    } catch (...) {
        cn_->fecha();
        throw;
    }
    textoAberto_ = texto;
}

void Banco::leSessao() {
    static const std::string kSql = "Select @@sql_mode as modo, @@lower_case_table_names as minusculas";
    chamaGancho(OperacaoBanco::Comando, kSql);
    const auto r = cn_->executa(kSql);
    chamaGancho(OperacaoBanco::ComandoFeito, kSql);
    if (r->linhas.empty() || r->linhas[0].size() < 2) throw ErroBanco(0, "Sessão sem sql_mode", "HY000");
    const std::string modo = r->linhas[0][0].value_or("");
    semBarraInvertida_ = modo.find("NO_BACKSLASH_ESCAPES") != std::string::npos;
    if (r->linhas[0][1].value_or("") == "0")
        throw ServidorIncompativel(
            "O servidor do banco de dados diferencia maiúsculas de minúsculas nos nomes das tabelas "
            "(lower_case_table_names=0), e o sistema Varelo escreve os nomes das tabelas de várias "
            "formas. Ajuste lower_case_table_names=1 na seção [mysqld] da configuração do servidor "
            "(my.cnf) e reinicie o servidor; tabelas criadas com letras maiúsculas precisam ser "
            "renomeadas para minúsculas antes.");
}

void Banco::registraFalha(const std::string& linha, const ErroBanco& e) {
    eventos_.AdicionaEvento(linha);
    if (e.perdaDeConexao()) eventos_.AdicionaEvento("Erro no banco de dados, reiniciando programa em 10 segundos");
}

std::string Banco::Escapa(std::string_view texto) {
    if (texto.find_first_of(std::string_view("\\\0", 2)) != std::string_view::npos && !cn_->aberta()) {
        try {
            abreConexao();
        } catch (const ErroBanco& e) {
            registraFalha("Erro abrindo banco: " + std::to_string(e.numero()) + " - " + e.what(), e);
            throw;
        }
    }
    return EscapaSql(texto, semBarraInvertida_);
}

std::int16_t Banco::Abre(Registros& destino, const std::string& prefixo, const std::string& sql) {
    try {
        abreConexao();
        chamaGancho(OperacaoBanco::Comando, sql);
        for (auto& o : observadores_) o(sql);
        destino.preenche(cn_->executa(sql));
        chamaGancho(OperacaoBanco::ComandoFeito, sql);
        return 0;
    } catch (const ErroBanco& e) {
        registraFalha(prefixo + std::to_string(e.numero()) + " - " + e.what() + sql, e);
        throw;
    }
}

std::int16_t Banco::AbreBanco(const std::string& sql) { return Abre(rs_, "Erro abrindo banco: ", sql); }
std::int16_t Banco::AbreBanco2(const std::string& sql) { return Abre(rs2_, "Erro abrindo banco 2: ", sql); }
std::int16_t Banco::AbreBanco3(const std::string& sql) { return Abre(rs3_, "Erro abrindo banco 3: ", sql); }

void Banco::FechaBanco() { rs_.libera(); }

void Banco::FechaBanco2() { rs2_.libera(); }
void Banco::FechaBanco3() { rs3_.libera(); }

void Banco::abandona() {
    try {
        if (transacoes_ > 0 && cn_->aberta()) cn_->desfaz();
    } catch (...) {
    }
    try {
        cn_->fecha();
    } catch (...) {
    }
    rs_.libera();
    rs2_.libera();
    rs3_.libera();
}

// ---- Transacao --------------------------------------------------------------

Transacao::Transacao(Banco& banco) : banco_(banco) {
    try {
        banco_.abreConexao();
        banco_.cn_->autocommit(false);
    } catch (const ErroBanco& e) {
        banco_.registraFalha("Erro abrindo banco: " + std::to_string(e.numero()) + " - " + e.what(), e);
        throw;
    }
    ++banco_.transacoes_;
}

Transacao::~Transacao() {
    --banco_.transacoes_;
    if (ativa_) {
        try {
            if (banco_.cn_->aberta()) banco_.cn_->desfaz();
        } catch (...) {
        }
    }
    try {
        if (banco_.cn_->aberta()) banco_.cn_->autocommit(true);
    } catch (...) {
        // A connection left without autocommit would hold every later
        // statement in an open transaction: drop it, the next one reconnects.
        try {
            banco_.cn_->fecha();
        } catch (...) {
        }
    }
}

void Transacao::confirma() {
    try {
        banco_.chamaGancho(OperacaoBanco::Confirmacao, "commit");
        banco_.cn_->confirma();
        ativa_ = false;
        banco_.chamaGancho(OperacaoBanco::ConfirmacaoFeita, "commit");
    } catch (const ErroBanco& e) {
        banco_.registraFalha("Erro abrindo banco: " + std::to_string(e.numero()) + " - " + e.what() + "commit", e);
        throw;
    }
    ativa_ = false;
}

}  // namespace varelo
