// Inclusion throughput: INCLUSAO files handled by scans with every wait set
// to zero, against a real server over loopback. Prints milliseconds and
// statements per inclusion beside the round trip of a trivial statement,
// which times the statement count is the floor. Asserts nothing.
#include <cstdio>

#include "app/encoding.h"
#include "bench/bench_support.h"
#include "export/consumption.h"
#include "transactions/inclusion.h"
#include "transactions/scan.h"

using namespace varelo;
using namespace varelo::bench;

namespace {

void Prepara(Ambiente& a) {
    for (const char* t : {"ItemComanda", "Comanda", "Logs", "sequencias", "Produtos", "Grupos", "Cadqtde"})
        a.Executa(std::string("Delete from ") + t);
    a.Executa("Insert into Grupos (idgrupo, nome, Impressora) values (1,'Pratos','cozinha')");
    a.Executa("Insert into Produtos (codigo, descricao, idgrupo, preco_v, Unidade, monitorado, tempopreparo) "
              "values (15,'Feijoada Completa',1,59.9,'PT',1,25)");
    a.Executa("Insert into Cadqtde (codigo, Descricao, Qtde) values (15,'Inteira',1)");
    a.Executa("Insert into sequencias (seqcomanda) values (0)");
}

// `total` requests over `comandas` comandas, handled by scans of at most
// `porVarredura` files each; returns seconds.
double Roda(Ambiente& a, int total, int comandas, int porVarredura) {
    const std::string linha = ParaCp1252("15;Inteira;%d;'sem gelo; com limão';7;A1;;0\r\n");
    double segundos = 0;
    for (int feitos = 0; feitos < total;) {
        for (int i = 0; i < porVarredura && feitos < total; ++i, ++feitos) {
            const int comanda = feitos % comandas + 1;
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

}  // namespace

int main(int argc, char** argv) {
    Ambiente a(ServidorDosArgumentos(argc, argv));
    const int total = argc > 2 ? std::atoi(argv[2]) : 1000;
    a.ctx.procs.InclueItem = [&](const std::string& c) { InclueItem(a.ctx, c); };

    double comFechamento = 0, semFechamento = 0;
    a.MedeIdaEVolta(comFechamento, semFechamento);

    Prepara(a);
    a.comandosSql = 0;
    double s = Roda(a, total, 100, 50);
    long comandos = a.comandosSql;
    std::printf("%d inclusions over 100 comandas: %.3f s, %.2f ms per inclusion, %.2f statements per inclusion\n",
                total, s, s * 1000 / total, static_cast<double>(comandos) / total);
    std::printf("trivial statement: %.3f ms with FechaBanco after it, %.3f ms on an open connection\n",
                comFechamento, semFechamento);
    std::printf("floor (statements x open-connection round trip): %.2f ms per inclusion\n",
                static_cast<double>(comandos) / total * semFechamento);

    // The same with the connection held open across each scan, which is
    // what one kept physical connection underneath FechaBanco gives.
    Prepara(a);
    a.comandosSql = 0;
    a.ctx.procs.InclueItem = [&](const std::string& c) { InclueItem(a.ctx, c); };
    {
        const auto antes = a.ctx.procs.InclueItem;
        s = 0;
        const std::string linha = "15;Inteira;1;;7;A1;;0\r\n";
        for (int feitos = 0; feitos < total; feitos += 50) {
            for (int i = 0; i < 50; ++i)
                a.disco.grava(Junta(a.ctx.cfg.txtPasta, "INCLUSAO" + std::to_string(i + 1) + ".txt"), linha);
            const auto inicio = std::chrono::steady_clock::now();
            Transacao aberta(a.banco);
            VarreDirs(a.ctx);
            aberta.confirma();
            s += Segundos(inicio);
        }
    }
    std::printf("with the connection kept open: %.2f ms per inclusion, %.2f statements per inclusion\n",
                s * 1000 / total, static_cast<double>(a.comandosSql) / total);

    // As the program runs: each inclusion also rewrites its comanda's statement.
    Prepara(a);
    a.ctx.procs.ExportaConsumos = [&](const std::string& p, const std::string& n) { ExportaConsumos(a.ctx, p, n); };
    a.comandosSql = 0;
    s = Roda(a, total, 100, 50);
    std::printf("with the statement export after each: %.2f ms per inclusion, %.2f statements per inclusion\n",
                s * 1000 / total, static_cast<double>(a.comandosSql) / total);
    return 0;
}
