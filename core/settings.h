#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "base/money.h"
#include "db/credentials.h"

namespace varelo {

// The company data printed on bills and labels, each field of fixed width.
struct Empresa {
    std::string Nome;      // 50 characters
    std::string Endereco;  // 50 characters
    std::string Cidade;    // 35 characters
    std::string UF;        // 2 characters
};

// Settings gathered when the window loads, from config.ini, the per-user
// store and the Config table.
struct Configuracao {
    // config.ini
    std::string txtPasta;       // the monitored folder, no trailing separator
    std::string txtImpressora;  // shown only
    std::string IPServidor;
    std::string Driver;
    Credenciais credenciais;  // Usuario, Senha
    std::string Site;         // the web address printed at the foot of the bill
    // per-user store
    std::int32_t LinhaFim = 8;
    std::int16_t ResumoContaPalm = 0;  // value of chkResumoContaPalm
    std::string FonteCupomCozinha = "Larabiefont";
    std::string TamFonteCupomCozinha = "12";
    Empresa empresa;
    // Config table
    std::int32_t LinhasInicio = 0;
    bool GrupoCupom = false;
    std::int32_t AutoRecebFinal = 0;
    Dinheiro qtdMinimo;
    bool AutoImpressao = true;
    bool ImpSeparado = false;
    // true while the current time lies in an active price period
    bool EmHorario = false;
};

}  // namespace varelo
