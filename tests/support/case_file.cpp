#include "tests/support/case_file.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace varelo::casos {
namespace {

// A line of a directive's block: indented by four spaces or a tab.
bool EhBloco(const std::string& linha) { return linha.rfind("    ", 0) == 0 || linha.rfind('\t', 0) == 0; }

}  // namespace

std::string Desescapa(const std::string& texto) {
    std::string saida;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        if (texto[i] != '\\' || i + 1 == texto.size()) {
            saida += texto[i];
            continue;
        }
        switch (texto[++i]) {
            case 'r': saida += '\r'; break;
            case 'n': saida += '\n'; break;
            case 't': saida += '\t'; break;
            case 's': saida += ' '; break;
            case 'x':  // \xHH: one byte
                if (i + 2 < texto.size() && std::isxdigit(static_cast<unsigned char>(texto[i + 1])) &&
                    std::isxdigit(static_cast<unsigned char>(texto[i + 2]))) {
                    saida += static_cast<char>(std::stoi(texto.substr(i + 1, 2), nullptr, 16));
                    i += 2;
                    break;
                }
                [[fallthrough]];
            default: saida += texto[i];
        }
    }
    return saida;
}

std::string Troca(std::string texto, const std::string& de, const std::string& para) {
    for (std::size_t p = 0; (p = texto.find(de, p)) != std::string::npos; p += para.size())
        texto.replace(p, de.size(), para);
    return texto;
}

std::string DoProjeto(const std::string& relativo) {
    const char* fonte = std::getenv("VARELO_SOURCE_DIR");
    return std::string(fonte ? fonte : ".") + "/" + relativo;
}

std::vector<Diretiva> LeCaso(const std::string& caminho) {
    std::ifstream entrada(caminho);
    if (!entrada) throw std::runtime_error("case file not found: " + caminho);
    std::vector<Diretiva> diretivas;
    std::string linha;
    for (int n = 1; std::getline(entrada, linha); ++n) {
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        if (EhBloco(linha)) {
            if (diretivas.empty()) throw std::runtime_error(caminho + ":" + std::to_string(n) + ": block without directive");
            diretivas.back().bloco.push_back(linha.substr(linha[0] == '\t' ? 1 : 4));
            continue;
        }
        if (linha.find_first_not_of(' ') == std::string::npos || linha[0] == '#') continue;
        Diretiva d;
        d.linha = n;
        d.origem = caminho;
        const std::size_t espaco = linha.find(' ');
        d.nome = linha.substr(0, espaco);
        d.resto = espaco == std::string::npos ? "" : linha.substr(espaco + 1);
        std::istringstream palavras(d.resto);
        for (std::string p; palavras >> p;) d.args.push_back(p);
        if (d.nome == "include") {
            const auto base = std::filesystem::path(caminho).parent_path();
            for (Diretiva& incluida : LeCaso((base / d.resto).string())) diretivas.push_back(std::move(incluida));
            continue;
        }
        diretivas.push_back(std::move(d));
    }
    return diretivas;
}

void ReescreveBloco(const std::string& origem, int linha, const std::vector<std::string>& bloco) {
    std::vector<std::string> linhas, novas;
    std::ifstream entrada(origem);
    for (std::string l; std::getline(entrada, l);) linhas.push_back(l);
    entrada.close();
    for (const std::string& b : bloco) novas.push_back("    " + b);
    const auto velhas = linhas.begin() + linha;
    linhas.insert(linhas.erase(velhas, std::find_if_not(velhas, linhas.end(), EhBloco)), novas.begin(), novas.end());
    std::ofstream saida(origem);
    for (const std::string& l : linhas) saida << l << "\n";
}

}  // namespace varelo::casos
