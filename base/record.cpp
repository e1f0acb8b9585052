#include "base/record.h"

#include <chrono>

#include "base/clock.h"
#include "base/encoding.h"
#include "base/errors.h"
#include "base/files.h"

namespace varelo {

namespace {

constexpr int kTentativasLeitura = 5;
constexpr std::chrono::milliseconds kEsperaLeitura{1000};

// The splitter is written with 1-based positions, 0 meaning "not found", so
// that it reads like the record format's own description.

// Position of the first `c` at or after position `inicio`, or 0.
std::size_t Procura(const std::string& s, std::size_t inicio, char c) {
    if (inicio > s.size()) return 0;
    std::size_t p = s.find(c, inicio - 1);
    return p == std::string::npos ? 0 : p + 1;
}

// `n` characters from position `inicio`; past the end gives "".
std::string Trecho(const std::string& s, std::size_t inicio, std::size_t n = std::string::npos) {
    if (inicio > s.size()) return "";
    return s.substr(inicio - 1, n);
}

// Spaces only, as the record format trims; tabs are kept.
std::string AparaEspacos(const std::string& s) {
    std::size_t i = s.find_first_not_of(' ');
    if (i == std::string::npos) return "";
    return s.substr(i, s.find_last_not_of(' ') - i + 1);
}

// A field that holds an apostrophe loses its first and last character.
std::string TiraApostrofos(const std::string& campo) {
    if (campo.find('\'') == std::string::npos) return campo;
    return campo.size() <= 2 ? std::string() : campo.substr(1, campo.size() - 2);
}

std::string& Campo(std::array<std::string, 8>& a, std::size_t i) {
    if (i >= a.size()) throw Erro("Subscrito fora do intervalo");
    return a[i];
}

std::string Troca(std::string texto, char de, char para) {
    for (char& c : texto)
        if (c == de) c = para;
    return texto;
}

}  // namespace

std::string LeArquivo(Arquivos& arquivos, Relogio& relogio, const std::string& caminho) {
    for (int tentativa = 1;; ++tentativa) {
        try {
            std::string bytes = arquivos.le(caminho);
            // An empty file has no line to read, which counts as a failure:
            // the handheld may not have written it yet.
            if (!bytes.empty()) return DeCp1252(bytes.substr(0, bytes.find('\r')));
        } catch (const Erro&) {
            // Missing or still locked by the writer: try again.
        }
        relogio.espera(kEsperaLeitura);
        if (tentativa >= kTentativasLeitura) return "";
    }
}

void ParseToArrayPvirg(const std::string& sLine, std::array<std::string, 8>& a) {
    std::size_t P = 0;  // position of the last separator consumed
    std::size_t I = 0;  // field index
    std::size_t S = Procura(sLine, 1, ';');
    while (S != 0) {
        std::string campo = Trecho(sLine, P + 1, S - P - 1);
        Campo(a, I) = campo;
        if (!campo.empty() && campo.front() == '\'' && (campo.size() == 1 || campo.back() != '\'')) {
            // Cut at a ";" inside apostrophes: the field runs to the next
            // apostrophe, and the separator that follows it ends the field.
            std::size_t Q = Procura(sLine, P + 2, '\'');
            if (Q == 0) throw Erro("Apóstrofo sem fechamento no campo " + std::to_string(I) + " da linha: " + sLine);
            campo = Trecho(sLine, P + 1, Q - P);
            S = Q + 1;
        }
        Campo(a, I) = TiraApostrofos(campo);
        P = S;
        ++I;
        S = Procura(sLine, P + 1, ';');
    }
    Campo(a, I) = TiraApostrofos(AparaEspacos(Trecho(sLine, P + 1)));
}

std::string VirgulaParaPonto(const std::string& texto) { return Troca(texto, ',', '.'); }

std::string PontoParaVirgula(const std::string& texto) { return Troca(texto, '.', ','); }

}  // namespace varelo
