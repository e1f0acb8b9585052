#pragma once
#include <functional>
#include <string>

namespace varelo {

class Erro;
class ListaEventos;

// Runs one step of a procedure. A failure of the step is handed to
// `aoFalhar`, which logs it as the procedure says, and the procedure goes on
// with its next step. What ends a whole unit of work always goes through: a
// database failure, a request put off, a handheld file not written, a
// server the program cannot work with. False when the step failed.
bool Passo(const std::function<void()>& passo, const std::function<void(const Erro&)>& aoFalhar);

// The same, logging `mensagem`, or the failure's own text when it is empty.
bool Passo(ListaEventos& eventos, const std::function<void()>& passo, const std::string& mensagem = "");

}  // namespace varelo
