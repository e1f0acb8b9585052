#include "printing/spool_printer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/errors.h"
#include "base/files.h"
#include "base/regional.h"

namespace fs = std::filesystem;

namespace varelo {
namespace {

}  // namespace

ImpressoraSpool::ImpressoraSpool(std::string raiz, Familias familiasDaMaquina)
    : ImpressoraComEstado("Courier New"), raiz_(std::move(raiz)), familias_(std::move(familiasDaMaquina)) {
    const auto lista = impressoras();
    if (std::find(lista.begin(), lista.end(), "default") != lista.end()) atual_ = "default";
    else if (!lista.empty()) atual_ = lista.front();
}

std::vector<std::string> ImpressoraSpool::impressoras() {
    std::vector<std::string> nomes;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(raiz_, ec))
        if (e.is_directory() && e.path().filename().string()[0] != '.')
            nomes.push_back(e.path().filename().string());
    std::sort(nomes.begin(), nomes.end());
    return nomes;
}

void ImpressoraSpool::selecionaImpressora(const std::string& nome) {
    const auto lista = impressoras();
    if (std::find(lista.begin(), lista.end(), nome) == lista.end())
        throw Erro("Impressora não instalada: " + nome);
    atual_ = nome;
}

std::vector<std::string> ImpressoraSpool::fontes() {
    std::ifstream entrada(fs::path(raiz_) / atual_ / "fonts.txt");
    if (!entrada) return familias_ ? familias_() : std::vector<std::string>{};
    std::vector<std::string> nomes;
    for (std::string linha; std::getline(entrada, linha);) {
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        if (!linha.empty()) nomes.push_back(linha);
    }
    return nomes;
}

int ImpressoraSpool::quantidadeFontes() { return static_cast<int>(fontes().size()); }

std::string ImpressoraSpool::fonte(int indice) {
    const auto nomes = fontes();
    if (indice < 0 || indice >= static_cast<int>(nomes.size()))
        throw Erro("Índice de fonte fora do intervalo: " + std::to_string(indice));
    return nomes[static_cast<std::size_t>(indice)];
}

std::optional<EstadoImpressora> ImpressoraSpool::estado(const std::string& nome) {
    std::error_code erro;
    const bool existe = !nome.empty() && nome[0] != '.' && fs::is_directory(fs::path(raiz_) / nome, erro);
    return existe ? EstadoImpressora::Pronta : EstadoImpressora::NaoInstalada;
}

bool ImpressoraSpool::entrega(const std::vector<std::string>& linhas, std::string& erro) {
    try {
        const fs::path pasta = fs::path(raiz_) / atual_;
        if (!fs::is_directory(pasta)) throw Erro("A impressora " + atual_ + " não existe mais");
        long maior = 0;
        for (const auto& e : fs::directory_iterator(pasta)) {
            const std::string nome = e.path().filename().string();
            if (nome.size() == 10 && nome.substr(6) == ".txt" &&
                std::all_of(nome.begin(), nome.begin() + 6, ::isdigit))
                maior = std::max(maior, std::stol(nome.substr(0, 6)));
        }
        char numero[24];
        std::snprintf(numero, sizeof numero, "%06ld", maior + 1);
        std::ostringstream fonte;
        fonte << fonte_ << "\n" << TextoPadrao(static_cast<double>(tamanho_)) << "\n"
              << (negrito_ ? "True" : "False") << "\n";
        std::string conteudo;
        for (const std::string& linha : linhas) conteudo += linha + "\n";
        ArquivosDisco disco;
        disco.gravaAtomico((pasta / (std::string(numero) + ".font")).string(), fonte.str());
        disco.gravaAtomico((pasta / (std::string(numero) + ".txt")).string(), conteudo);
        return true;
    } catch (const std::exception& e) {
        erro = e.what();
        return false;
    }
}

}  // namespace varelo
