#include "base/ini.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/encoding.h"
#include "base/errors.h"
#include "base/files.h"

namespace varelo {

namespace {

bool EhBranco(char c) { return c == ' ' || c == '\t'; }

std::string Apara(const std::string& s) {
    std::size_t i = 0, fim = s.size();
    while (i < fim && EhBranco(s[i])) ++i;
    while (fim > i && EhBranco(s[fim - 1])) --fim;
    return s.substr(i, fim - i);
}

char MinusculaAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IguaisSemCaixa(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (MinusculaAscii(a[i]) != MinusculaAscii(b[i])) return false;
    return true;
}

// Cuts UTF-8 text to at most `maximo` characters.
std::string CortaCaracteres(const std::string& s, std::size_t maximo) {
    std::size_t caracteres = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        // A byte that is not a continuation byte starts a new character.
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (caracteres == maximo) return s.substr(0, i);
            ++caracteres;
        }
    }
    return s;
}

enum class Tipo { Outra, Secao, Chave };

struct Linha {
    Tipo tipo = Tipo::Outra;
    std::string nome;   // section name or key, trimmed
    std::string valor;  // value of a key, trimmed
};

Linha Analisa(const std::string& texto) {
    Linha l;
    std::string t = Apara(texto);
    if (t.empty() || t[0] == ';') return l;
    if (t[0] == '[') {
        std::size_t fecha = t.find(']');
        l.tipo = Tipo::Secao;
        l.nome = Apara(t.substr(1, fecha == std::string::npos ? std::string::npos : fecha - 1));
        return l;
    }
    std::size_t igual = t.find('=');
    if (igual == std::string::npos) return l;
    l.tipo = Tipo::Chave;
    l.nome = Apara(t.substr(0, igual));
    l.valor = Apara(t.substr(igual + 1));
    if (l.valor.size() >= 2 && (l.valor.front() == '"' || l.valor.front() == '\'') &&
        l.valor.back() == l.valor.front())
        l.valor = l.valor.substr(1, l.valor.size() - 2);
    return l;
}

bool ArquivoExiste(const std::string& arquivo) {
    std::error_code ec;
    return std::filesystem::exists(arquivo, ec);
}

}  // namespace

DocumentoIni::DocumentoIni(const std::string& texto) {
    if (texto.find("\r\n") != std::string::npos) fimLinha_ = "\r\n";
    std::size_t inicio = 0;
    while (inicio < texto.size()) {
        std::size_t nl = texto.find('\n', inicio);
        std::size_t fim = nl == std::string::npos ? texto.size() : nl;
        std::string linha = texto.substr(inicio, fim - inicio);
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        linhas_.push_back(std::move(linha));
        if (nl == std::string::npos) break;
        inicio = nl + 1;
    }
}

std::optional<DocumentoIni::Regiao> DocumentoIni::regiao(const std::string& secao) const {
    // Keys before the first section header belong to the section with no
    // name. Of several sections with one name, only the first is used.
    const std::string s = Apara(secao);
    std::size_t i = 0;
    Regiao r;
    if (s.empty()) {
        r.cabecalho = std::nullopt;
    } else {
        for (; i < linhas_.size(); ++i) {
            Linha l = Analisa(linhas_[i]);
            if (l.tipo == Tipo::Secao && IguaisSemCaixa(l.nome, s)) break;
        }
        if (i == linhas_.size()) return std::nullopt;
        r.cabecalho = i++;
    }
    r.inicio = i;
    while (i < linhas_.size() && Analisa(linhas_[i]).tipo != Tipo::Secao) ++i;
    r.fim = i;
    return r;
}

std::optional<std::string> DocumentoIni::le(const std::string& secao, const std::string& chave) const {
    auto r = regiao(secao);
    if (!r) return std::nullopt;
    const std::string k = Apara(chave);
    for (std::size_t i = r->inicio; i < r->fim; ++i) {
        Linha l = Analisa(linhas_[i]);
        if (l.tipo == Tipo::Chave && IguaisSemCaixa(l.nome, k)) return CortaCaracteres(l.valor, kMaxValorIni);
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> DocumentoIni::chaves(const std::string& secao) const {
    std::vector<std::pair<std::string, std::string>> chaves;
    const auto r = regiao(secao);
    for (std::size_t i = r ? r->inicio : 0; r && i < r->fim; ++i) {
        const Linha l = Analisa(linhas_[i]);
        if (l.tipo != Tipo::Chave) continue;
        if (std::none_of(chaves.begin(), chaves.end(), [&](const auto& c) { return IguaisSemCaixa(c.first, l.nome); }))
            chaves.emplace_back(l.nome, CortaCaracteres(l.valor, kMaxValorIni));
    }
    return chaves;
}

void DocumentoIni::grava(const std::string& secao, const std::string& chave, const std::string& valor) {
    const std::string k = Apara(chave);
    std::string v = valor;
    for (char& c : v)
        if (c == '\r' || c == '\n') c = ' ';
    const std::string nova = k + "=" + v;

    auto r = regiao(secao);
    if (!r) {
        if (!linhas_.empty() && !Apara(linhas_.back()).empty()) linhas_.push_back("");
        linhas_.push_back("[" + Apara(secao) + "]");
        linhas_.push_back(nova);
        return;
    }
    // A new key goes after the section's last non-blank line, so the blank
    // lines that separate it from the next section stay where they are.
    std::size_t onde = r->cabecalho ? *r->cabecalho + 1 : 0;
    for (std::size_t i = r->inicio; i < r->fim; ++i) {
        Linha l = Analisa(linhas_[i]);
        if (l.tipo == Tipo::Chave && IguaisSemCaixa(l.nome, k)) {
            linhas_[i] = l.nome + "=" + v;  // the key keeps the file's spelling
            return;
        }
        if (!Apara(linhas_[i]).empty()) onde = i + 1;
    }
    linhas_.insert(linhas_.begin() + static_cast<std::ptrdiff_t>(onde), nova);
}

std::string DocumentoIni::texto() const {
    std::string r;
    for (const std::string& l : linhas_) r += l + fimLinha_;
    return r;
}

std::optional<std::string> LeChaveIni(const std::string& secao, const std::string& chave,
                                      const std::string& arquivo) {
    if (!ArquivoExiste(arquivo)) return std::nullopt;
    ArquivosDisco disco;
    return DocumentoIni(Utf8OuCp1252(disco.le(arquivo))).le(secao, chave);
}

std::vector<std::pair<std::string, std::string>> LeSecaoIni(const std::string& secao, const std::string& arquivo) {
    if (!ArquivoExiste(arquivo)) return {};
    return DocumentoIni(Utf8OuCp1252(ArquivosDisco().le(arquivo))).chaves(secao);
}

void GravaChaveIni(const std::string& secao, const std::string& chave, const std::string& valor,
                   const std::string& arquivo) {
    ArquivosDisco disco;
    DocumentoIni doc;
    if (ArquivoExiste(arquivo)) doc = DocumentoIni(Utf8OuCp1252(disco.le(arquivo)));
    doc.grava(secao, chave, valor);
    disco.gravaAtomico(arquivo, doc.texto());
}

std::string LeIni(const std::string& secao, const std::string& chave, const std::string& padrao,
                  const std::string& arquivo) {
    try {
        if (auto v = LeChaveIni(secao, chave, arquivo)) return *v;
    } catch (const Erro&) {
        // An unreadable file reads like a missing one.
    }
    return CortaCaracteres(padrao, kMaxValorIni);
}

bool GravaIni(const std::string& secao, const std::string& chave, const std::string& valor,
              const std::string& arquivo) {
    try {
        GravaChaveIni(secao, chave, valor, arquivo);
        return true;
    } catch (const Erro&) {
        return false;
    }
}

}  // namespace varelo
