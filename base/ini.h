#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace varelo {

// INI files (config.ini, the per-user settings file).
//
// Lines are "[Section]", "key=value", comments beginning with ";" and blank
// lines; both CR LF and LF line ends are read. Sections and keys are found
// without regard to ASCII letter case, and the first match wins. Spaces and
// tabs around a section name, a key and a value are trimmed, and a value
// enclosed in a matching pair of quotes (" or ') loses them. A value is at
// most kMaxValorIni characters: a longer one is cut.
//
// Files are read as UTF-8; a file that is not valid UTF-8 (written by an
// older installation) is read as Windows-1252. They are always written as
// UTF-8, keeping every other line as it was and the file's own line ends
// (LF for a new file).

inline constexpr std::size_t kMaxValorIni = 2047;

// The lines of one INI file, editable in place.
class DocumentoIni {
public:
    DocumentoIni() = default;
    // From the text of a file (already UTF-8).
    explicit DocumentoIni(const std::string& texto);

    // The value of a key, or nothing when the section or the key is missing.
    std::optional<std::string> le(const std::string& secao, const std::string& chave) const;
    // Sets a key (an existing key keeps its spelling), adding the section
    // at the end and the key at the end of its section when they are missing. Line breaks in the value become
    // spaces, since a value is one line.
    void grava(const std::string& secao, const std::string& chave, const std::string& valor);
    // The keys of a section and their values, in the file's order (a key
    // given twice, once: its first value).
    std::vector<std::pair<std::string, std::string>> chaves(const std::string& secao) const;
    // The text to write back.
    std::string texto() const;

private:
    // The body of a section: lines [inicio, fim), after its header line.
    struct Regiao {
        std::optional<std::size_t> cabecalho;
        std::size_t inicio = 0, fim = 0;
    };
    std::optional<Regiao> regiao(const std::string& secao) const;

    std::vector<std::string> linhas_;
    std::string fimLinha_ = "\n";
};

// The keys of one section of a file: none when the file or section is missing.
std::vector<std::pair<std::string, std::string>> LeSecaoIni(const std::string& secao, const std::string& arquivo);

// One key of a file: nothing when the file, section or key is missing.
// Throws Erro when the file exists but cannot be read.
std::optional<std::string> LeChaveIni(const std::string& secao, const std::string& chave,
                                      const std::string& arquivo);
// Writes one key, creating the file, section or key as needed; the file is
// replaced in one step so no reader sees it half written. Throws Erro on
// failure (a file that exists but cannot be read is left alone).
void GravaChaveIni(const std::string& secao, const std::string& chave, const std::string& valor,
                   const std::string& arquivo);

// The program's INI calls: failures are never thrown. LeIni returns
// `padrao` (cut to kMaxValorIni characters) when the file or key is missing
// or the file cannot be read; GravaIni returns false when the file could not
// be written, so the caller may log it.
std::string LeIni(const std::string& secao, const std::string& chave, const std::string& padrao,
                  const std::string& arquivo);
bool GravaIni(const std::string& secao, const std::string& chave, const std::string& valor,
              const std::string& arquivo);

}  // namespace varelo
