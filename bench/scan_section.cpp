// How long one scan takes over a folder full of requests whose handling
// needs no database (each is read and split as the inclusion does, then
// deleted), and how fast request lines are split.
#include <array>
#include <cstdio>

#include "base/encoding.h"
#include "base/record.h"
#include "bench/sections.h"
#include "core/replies.h"
#include "transactions/scan.h"

namespace varelo::bench {

bool SecaoVarreduraSemBanco(Ambiente& a, int arquivos, int divisoes) {
    long campos = 0;
    a.EsvaziaPasta();
    a.ctx.procs = {};
    a.ctx.procs.InclueItem = [&](const std::string& caminho) {
        std::array<std::string, 8> r;
        ParseToArrayPvirg(LeArquivo(a.disco, a.relogio, caminho), r);
        campos += static_cast<long>(r[3].size());
        ApagaArquivo(a.ctx, caminho);
    };
    const std::string linha = ParaCp1252("15;Inteira;42;'sem gelo; com limão';7;A1;;0\r\n");
    for (int i = 1; i <= arquivos; ++i)
        a.disco.grava(Junta(a.ctx.cfg.txtPasta, "INCLUSAO" + std::to_string(i % 30000 + 1) + "_" +
                                                    std::to_string(i) + ".txt"),
                      linha);
    auto inicio = std::chrono::steady_clock::now();
    VarreDirs(a.ctx);
    const double scan = Segundos(inicio);
    a.ctx.procs = {};
    const std::size_t sobrando = a.disco.lista(a.ctx.cfg.txtPasta).size();

    inicio = std::chrono::steady_clock::now();
    std::array<std::string, 8> r;
    for (int i = 0; i < divisoes; ++i) ParseToArrayPvirg("15;Inteira;42;'sem gelo; com limao';7;A1;;0", r);
    const double divisao = Segundos(inicio);

    std::printf("Scan without database work:\n");
    std::printf("  %-44s %6.3f s, %.1f us per file, %zu left%s\n",
                (std::to_string(arquivos) + " request files").c_str(), scan, scan * 1e6 / arquivos,
                sobrando, campos > 0 ? "" : " (nothing read!)");
    std::printf("  %-44s %6.2f M lines/s\n", "record split", divisoes / divisao / 1e6);
    return sobrando == 0 && campos > 0;
}

}  // namespace varelo::bench
