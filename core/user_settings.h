#pragma once
#include <string>

namespace varelo {

struct Contexto;

inline constexpr const char* kAplicacao = "Varelo";
inline constexpr const char* kSecaoRegistro = "Config";

// The per-user store: a failing call adds its description to the event list
// and reads as the empty text.
std::string LeRegistro(Contexto& ctx, const std::string& aplicacao, const std::string& secao,
                       const std::string& chave, const std::string& padrao);
void GravaRegistro(Contexto& ctx, const std::string& aplicacao, const std::string& secao,
                   const std::string& chave, const std::string& valor);

}  // namespace varelo
