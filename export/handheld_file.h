#pragma once
#include <string>

namespace varelo {

class Arquivos;

// A text file for the handhelds: lines are collected as UTF-8 and written
// in one go as Windows-1252 with CR LF after every line, also the last.
// The file appears whole (written under a hidden temporary name in the same
// folder, then renamed over the old one), so a handheld that reads it
// meanwhile never gets half a file, and an export that fails part-way
// leaves the previous complete file in place: nothing is written unless
// fecha() is called.
class ArquivoPalm {
public:
    ArquivoPalm(Arquivos& arquivos, std::string caminho);
    ArquivoPalm(const ArquivoPalm&) = delete;
    ArquivoPalm& operator=(const ArquivoPalm&) = delete;

    void linha(const std::string& texto);
    // Writes the file. Throws ArquivoNaoGravado when it cannot be written.
    void fecha();

private:
    Arquivos& arquivos_;
    std::string caminho_;
    std::string conteudo_;
};

}  // namespace varelo
