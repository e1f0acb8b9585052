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
// own handler may swallow it. It unwinds to the handler that the timer or
// button started, which rolls back, closes the connection and pauses.
class ErroBanco : public std::runtime_error {
public:
    ErroBanco(long numero, const std::string& descricao)
        : std::runtime_error(descricao), numero_(numero) {}
    long numero() const { return numero_; }

private:
    long numero_;
};

}  // namespace varelo
