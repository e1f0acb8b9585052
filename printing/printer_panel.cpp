#include "printing/printer_panel.h"

#include <set>

#include "base/text_columns.h"
#include "db/banco.h"

namespace varelo {

std::vector<std::string> ImpressorasDoPainel(Banco& banco, const std::string& impCupom,
                                             const ImpressorasConfiguradas& configuradas) {
    std::set<std::string> nomes{impCupom};
    for (const ImpressoraDireta& d : configuradas.diretas) nomes.insert(d.nome);
    for (const auto& [nome, reserva] : configuradas.reservas) {
        nomes.insert(nome);
        nomes.insert(reserva);
    }
    banco.AbreBanco("Select Impressora, Impressora2, Impressoradelivery from Grupos");
    for (Registros& rs = banco.rs(); !rs.eof(); rs.proximo())
        for (const char* coluna : {"Impressora", "Impressora2", "Impressoradelivery"})
            nomes.insert(rs.textoOuVazio(coluna));
    banco.FechaBanco();
    std::vector<std::string> painel;
    for (const std::string& nome : nomes)
        if (!Apara(nome).empty() && nome != kNaoImprimir && nome != kEtiqueta) painel.push_back(nome);
    return painel;
}

std::string LinhaDoPainel(const std::string& nome, std::optional<EstadoImpressora> estado) {
    return nome + ": " + (estado ? NomeDoEstado(*estado) : "verificando");
}

}  // namespace varelo
