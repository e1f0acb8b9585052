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

// The path of config.ini in the program's folder.
std::string CaminhoConfigIni(const Contexto& ctx);

// "VareloSync " and the version.
std::string TituloJanela();

enum class ResultadoCarga { Carregado, Terminal };

// Loads what does not need the database: config.ini and the per-user store.
// On a terminal machine it shows the refusal and returns Terminal; nothing
// else is read or written then.
ResultadoCarga CarregaAjustesLocais(Contexto& ctx);

// Reads the Config table, one key per query. A database failure propagates
// as ErroBanco; the caller retries later.
void CarregaTabelaConfig(Contexto& ctx);

// What the window's controls write back when they change.
void GravaPastaComanda(Contexto& ctx);        // txtPasta lost focus
void GravaImpressora(Contexto& ctx);          // txtImpressora lost focus
void GravaResumoContaPalm(Contexto& ctx);     // chkResumoContaPalm changed

}  // namespace varelo
