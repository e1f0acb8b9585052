// Inclusion throughput: INCLUSAO files handled by scans with every wait set
// to zero, against a real server over loopback, in milliseconds and
// statements per inclusion beside the floor that the round trip of a
// trivial statement sets.
#include <cstdio>

#include "base/encoding.h"
#include "bench/sections.h"
#include "export/consumption.h"
#include "transactions/inclusion.h"
#include "transactions/scan.h"

namespace varelo::bench {

void PreparaInclusoes(Ambiente& a) {
    for (const char* t : {"ItemComanda", "Comanda", "Logs", "sequencias", "Produtos", "Grupos", "Cadqtde"})
        a.Executa(std::string("Delete from ") + t);
    a.Executa("Insert into Grupos (idgrupo, nome, Impressora) values (1,'Pratos','cozinha')");
    a.Executa("Insert into Produtos (codigo, descricao, idgrupo, preco_v, Unidade, monitorado, tempopreparo) "
              "values (15,'Feijoada Completa',1,59.9,'PT',1,25)");
    a.Executa("Insert into Cadqtde (codigo, Descricao, Qtde) values (15,'Inteira',1)");
    a.Executa("Insert into sequencias (seqcomanda) values (0)");
    a.comandosSql = 0;
}

namespace {

// `total` requests over 100 comandas, handled by scans of 50 files each;
// returns seconds.
double Roda(Ambiente& a, int total) {
    const std::string linha = ParaCp1252("15;Inteira;%d;'sem gelo; com limão';7;A1;;0\r\n");
    double segundos = 0;
    for (int feitos = 0; feitos < total;) {
        for (int i = 0; i < 50 && feitos < total; ++i, ++feitos) {
            const int comanda = feitos % 100 + 1;
            char nome[64], conteudo[128];
            std::snprintf(nome, sizeof nome, "INCLUSAO%d.txt", comanda);
            std::snprintf(conteudo, sizeof conteudo, linha.c_str(), comanda);
            a.disco.grava(Junta(a.ctx.cfg.txtPasta, nome), conteudo);
        }
        const auto inicio = std::chrono::steady_clock::now();
        VarreDirs(a.ctx);
        segundos += Segundos(inicio);
    }
    return segundos;
}

void Imprime(const char* como, int total, double segundos, long comandos) {
    std::printf("  %-44s %6.2f ms, %5.2f statements per inclusion\n", como, segundos * 1000 / total,
                static_cast<double>(comandos) / total);
}

}  // namespace

void SecaoInclusao(Ambiente& a, int total, double idaEVolta) {
    std::printf("INCLUSAO, %d requests over 100 comandas:\n", total);
    a.ctx.procs.InclueItem = [&](const std::string& c) { InclueItem(a.ctx, c); };

    PreparaInclusoes(a);
    double s = Roda(a, total);
    const long comandos = a.comandosSql;
    Imprime("as the program runs them", total, s, comandos);
    std::printf("  %-44s %6.2f ms per inclusion\n", "floor (statements x round trip)",
                static_cast<double>(comandos) / total * idaEVolta);

    // As the program runs with the statement export after each inclusion.
    PreparaInclusoes(a);
    a.ctx.procs.ExportaConsumos = [&](const std::string& p, const std::string& n) { ExportaConsumos(a.ctx, p, n); };
    s = Roda(a, total);
    Imprime("with the statement export after each", total, s, a.comandosSql);
    a.ctx.procs = {};
}

}  // namespace varelo::bench
