#pragma once
#include <string>

#include "core/user_settings.h"

namespace varelo {

struct Contexto;

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
