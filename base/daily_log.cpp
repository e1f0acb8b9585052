#include "base/daily_log.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "base/clock.h"
#include "base/errors.h"
#include "base/files.h"
#include "base/regional.h"

namespace varelo {
namespace {

constexpr const char* kPrefixo = "varelosync-";
constexpr const char* kSufixo = ".log";

std::string DataIso(const std::chrono::year_month_day& d) {
    char texto[16];
    std::snprintf(texto, sizeof texto, "%04d-%02u-%02u", static_cast<int>(d.year()),
                  static_cast<unsigned>(d.month()), static_cast<unsigned>(d.day()));
    return texto;
}

std::chrono::year_month_day Dia(const DataHora& d) {
    return std::chrono::year_month_day{std::chrono::year{d.ano},
                                       std::chrono::month{static_cast<unsigned>(d.mes)},
                                       std::chrono::day{static_cast<unsigned>(d.dia)}};
}

}  // namespace

RegistroDiario::RegistroDiario(Arquivos& arquivos, Relogio& relogio, std::string pasta)
    : arquivos_(arquivos), relogio_(relogio), pasta_(std::move(pasta)) {}

void RegistroDiario::comecaDia(const std::string& data) {
    dia_ = data;
    std::error_code erro;
    std::filesystem::create_directories(pasta_, erro);
    const auto hoje = std::chrono::sys_days{Dia(relogio_.agora())};
    const std::string limite =
        kPrefixo + DataIso(std::chrono::year_month_day{hoje - std::chrono::days{kDiasGuardados}}) + kSufixo;
    try {
        for (const std::string& nome : arquivos_.lista(pasta_)) {
            const bool doRegistro = nome.size() == limite.size() && nome.rfind(kPrefixo, 0) == 0 &&
                                    nome.ends_with(kSufixo);
            if (doRegistro && nome < limite) arquivos_.apaga(pasta_ + "/" + nome);
        }
    } catch (const Erro& e) {
        std::cerr << "varelosync: " << e.what() << std::endl;
    }
}

void RegistroDiario::acrescenta(const std::string& linha) {
    const DataHora agora = relogio_.agora();
    const std::string data = DataIso(Dia(agora));
    try {
        if (data != dia_) comecaDia(data);
        arquivos_.acrescenta(pasta_ + "/" + kPrefixo + data + kSufixo,
                             DataDDMMAAAA(agora) + " " + HoraTexto(agora) + " " + linha + "\n");
        falhou_ = false;
    } catch (const Erro& e) {
        // Not through the event list: that would write here again.
        if (!falhou_) std::cerr << "varelosync: " << e.what() << std::endl;
        falhou_ = true;
    }
}

}  // namespace varelo
