#pragma once
#include <string>

namespace varelo {

struct Contexto;

// A text file for the handhelds: lines are collected as UTF-8 and written
// in one go as Windows-1252 with CR LF after every line, also the last.
// The file appears whole (written under a temporary name, then renamed),
// so a handheld that reads it meanwhile never gets half a file.
//
// An export that fails part-way leaves the lines built so far, as a file
// written line by line would: when the object goes without fecha(), what
// was added is written then (an empty list gives an empty file).
class ArquivoPalm {
public:
    ArquivoPalm(Contexto& ctx, std::string caminho);
    ~ArquivoPalm();
    ArquivoPalm(const ArquivoPalm&) = delete;
    ArquivoPalm& operator=(const ArquivoPalm&) = delete;

    void linha(const std::string& texto);
    // Writes the file. Throws Erro when it cannot be written.
    void fecha();

private:
    Contexto& ctx_;
    std::string caminho_;
    std::string conteudo_;
    bool fechado_ = false;
};

}  // namespace varelo
