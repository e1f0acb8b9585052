#pragma once
#include <string>
#include <vector>

namespace varelo {

// Who owns a file and who may write it.
struct Posse {
    bool comum = false;  // a regular file: not a link, folder, pipe or device
    unsigned dono = 0;   // the owner's user id
    unsigned modo = 0;   // the permission bits (07777)
};

// Permission bits as the operator reads them: "0644".
std::string TextoPermissoes(unsigned modo);

// What the operator reads for a call on `caminho` that failed with `erro`.
std::string DescreveFalha(int erro, const std::string& caminho);

// The file system as the program uses it. Paths are UTF-8 text; contents are
// raw bytes (the Windows-1252 boundary lives in base/encoding.h).
// Every failure throws Erro with a readable description.
class Arquivos {
public:
    virtual ~Arquivos() = default;
    // Names of the plain files in a folder (no folders, no names beginning
    // with "."), sorted by name. Throws Erro numbered Erro::kAcessoArquivo
    // when the folder cannot be listed.
    virtual std::vector<std::string> lista(const std::string& pasta) = 0;
    virtual std::string le(const std::string& caminho) = 0;
    // Writes the whole file (created or truncated).
    virtual void grava(const std::string& caminho, const std::string& bytes) = 0;
    virtual void acrescenta(const std::string& caminho, const std::string& bytes) = 0;
    virtual void apaga(const std::string& caminho) = 0;
    // True when the path is a plain file that can be opened for reading.
    virtual bool podeLer(const std::string& caminho) = 0;
    virtual bool ehPasta(const std::string& caminho) = 0;
    // Writes under a temporary name in the same folder, then renames, so a
    // reader never sees half a file.
    virtual void gravaAtomico(const std::string& caminho, const std::string& bytes) = 0;
    // As gravaAtomico, and on the disk before it returns (a journal that must
    // outlive a power cut).
    virtual void gravaDuravel(const std::string& caminho, const std::string& bytes) = 0;
    // Moves a file; the destination is replaced.
    virtual void renomeia(const std::string& de, const std::string& para) = 0;
    // Creates the folder when it does not exist.
    virtual void criaPasta(const std::string& caminho) = 0;
    // What tells one version of a file from another written later under the
    // same name: size, modification time and file number. Empty when the
    // file does not exist.
    virtual std::string carimbo(const std::string& caminho) = 0;
    // Who owns the file the path leads to (links followed).
    virtual Posse posse(const std::string& caminho) = 0;
    // Reads a file through one descriptor opened without following a link,
    // and tells who owns that very file: what is checked is what was read,
    // even if the name is swapped meanwhile. Anything but a regular file
    // reads as nothing, with `comum` false.
    virtual std::string leSemLink(const std::string& caminho, Posse& posse) = 0;
};

// The real file system.
class ArquivosDisco : public Arquivos {
public:
    std::vector<std::string> lista(const std::string& pasta) override;
    std::string le(const std::string& caminho) override;
    void grava(const std::string& caminho, const std::string& bytes) override;
    void acrescenta(const std::string& caminho, const std::string& bytes) override;
    void apaga(const std::string& caminho) override;
    bool podeLer(const std::string& caminho) override;
    bool ehPasta(const std::string& caminho) override;
    void gravaAtomico(const std::string& caminho, const std::string& bytes) override;
    void gravaDuravel(const std::string& caminho, const std::string& bytes) override;
    void renomeia(const std::string& de, const std::string& para) override;
    void criaPasta(const std::string& caminho) override;
    std::string carimbo(const std::string& caminho) override;
    Posse posse(const std::string& caminho) override;
    std::string leSemLink(const std::string& caminho, Posse& posse) override;

private:
    void gravaSubstituindo(const std::string& caminho, const std::string& bytes, bool duravel);
};

}  // namespace varelo
