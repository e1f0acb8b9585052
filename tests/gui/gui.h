#pragma once
// What the window, printing and program tests share.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/startup_settings.h"
#include "base/errors.h"
#include "base/ini.h"
#include "base/lines.h"
#include "tests/support/case_file.h"
#include "tests/support/private_cups.h"
#include "tests/support/program_run.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace fs = std::filesystem;

// The bytes of the data file tests/gui/expected/`nome`, and its lines; a
// missing or empty file fails.
inline std::string Esperado(const std::string& nome) {
    const std::string texto = Le(casos::DoProjeto("tests/gui/expected/" + nome));
    EXPECT_FALSE(texto.empty()) << nome;
    return texto;
}
inline std::vector<std::string> LinhasEsperadas(const std::string& nome) { return LinhasDoTexto(Esperado(nome)); }

// Whether `texto` holds `trecho`; either way the message shows both.
inline ::testing::AssertionResult Tem(const std::string& texto, const std::string& trecho) {
    return (texto.find(trecho) != std::string::npos ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
           << "\"" << trecho << "\" in:\n" << texto;
}

// Points the program's configuration file at the tests' server and at the
// monitored folder `pasta`; returns the file's path.
inline std::string Configura(ContextoTeste& t, const std::string& pasta) {
    const std::string ini = CaminhoConfigIni(t.ctx);
    GravaIni("VareloSync", "PastaComanda", pasta, ini);
    GravaIni("Varelo", "IPServidor", ContextoTeste::IpServidorTeste(), ini);
    GravaIni("Varelo", "Driver", "MariaDB Unicode", ini);
    return ini;
}

}  // namespace varelo
