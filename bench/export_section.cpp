// Export speed: the products and named quantities of a catalog with 3
// quantities per product, and the statements of open comandas of 10 items
// each, against a real server, in seconds and statements.
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "app/monitor.h"
#include "app/wiring.h"
#include "bench/sections.h"
#include "checks/delivery_check.h"
#include "export/catalog.h"
#include "export/consumption.h"

namespace varelo::bench {
namespace {

// Multi-row inserts of `n` rows built by `linha(i)`, a thousand at a time.
template <typename F>
void Insere(Ambiente& a, const std::string& inicio, int n, F linha) {
    for (int de = 0; de < n; de += 1000) {
        std::string sql = inicio;
        for (int i = de; i < n && i < de + 1000; ++i) sql += (i == de ? "" : ",") + linha(i);
        a.Executa(sql);
    }
}

template <typename F>
void Mede(Ambiente& a, const char* nome, F exporta) {
    a.comandosSql = 0;
    const auto inicio = std::chrono::steady_clock::now();
    exporta();
    std::printf("  %-44s %6.3f s, %ld statements\n", nome, Segundos(inicio), a.comandosSql);
}

// A digest of every file of the folder, names and bytes (FNV-1a), so that
// two reports show whether their exports wrote the same files.
std::string Digesto(Ambiente& a) {
    std::vector<std::string> nomes = a.disco.lista(a.ctx.cfg.txtPasta);
    std::sort(nomes.begin(), nomes.end());
    std::uint64_t h = 14695981039346656037ull;
    for (const std::string& nome : nomes)
        for (const std::string& parte : {nome, a.disco.le(Junta(a.ctx.cfg.txtPasta, nome))})
            for (const char c : parte + '\0') h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char texto[64];
    std::snprintf(texto, sizeof texto, "%zu files, digest %016llx", nomes.size(), static_cast<unsigned long long>(h));
    return texto;
}

// Work for later that never comes: the start-up's pauses are not measured.
struct SemAgendador final : Agendador {
    void depois(std::chrono::milliseconds, std::function<void()>) override {}
};

}  // namespace

void CarregaRestaurante(Ambiente& a, int produtos, int comandas) {
    for (const char* t : {"ItemComanda", "Comanda", "pagamentos", "Produtos", "Grupos", "Cadqtde"})
        a.Executa(std::string("Delete from ") + t);
    a.Executa("Insert into Grupos (idgrupo, nome) values (1,'Pratos'),(2,'Bebidas'),(3,'Sobremesas')");
    Insere(a, "Insert into Produtos (codigo, descricao, idgrupo, preco_v, preco_v2, ativo) values ", produtos,
           [](int i) {
               return "(" + std::to_string(i + 1) + ",'Produto ção " + std::to_string(i + 1) + "'," +
                      std::to_string(i % 3 + 1) + ",12.5,10,'S')";
           });
    Insere(a, "Insert into Cadqtde (codigo, Descricao, Qtde) values ", produtos * 3, [](int i) {
        static const char* nomes[] = {"Inteira", "Meia", "Dose dupla"};
        return "(" + std::to_string(i / 3 + 1) + ",'" + nomes[i % 3] + "'," + std::to_string(i % 3 + 1) + ")";
    });
    Insere(a, "Insert into Comanda (Comanda, Ocupantes, Desconto, Couvert, Servico) values ", comandas,
           [](int i) { return "(" + std::to_string(i + 1) + ",2,-1,-1,-1)"; });
    Insere(a, "Insert into ItemComanda (Comanda, idProduto, qtde, valor) values ", comandas * 10, [](int i) {
        return "(" + std::to_string(i / 10 + 1) + "," + std::to_string(i % 7 + 1) + ",1,12.5)";
    });
}

void SecaoExportacao(Ambiente& a, int produtos, int comandas) {
    CarregaRestaurante(a, produtos, comandas);
    a.EsvaziaPasta();
    std::printf("Exports, %d products x 3 quantities, %d open comandas x 10 items:\n", produtos, comandas);
    const std::string pasta = a.ctx.cfg.txtPasta;
    Mede(a, "ExportaProdutos", [&] { ExportaProdutos(a.ctx, pasta); });
    Mede(a, "ExportaQtdes", [&] { ExportaQtdes(a.ctx, pasta); });
    Mede(a, "ExportaConsumos", [&] { ExportaConsumos(a.ctx, pasta, "0"); });
    std::printf("  %-44s %s\n", "files written", Digesto(a).c_str());
    a.ctx.cfg.ResumoContaPalm = 1;
    Mede(a, "ExportaConsumos, products grouped", [&] { ExportaConsumos(a.ctx, pasta, "0"); });
    std::printf("  %-44s %s\n", "files written, products grouped", Digesto(a).c_str());
    a.ctx.cfg.ResumoContaPalm = 0;
}

void SecaoInicio(Ambiente& a, int produtos, int comandas) {
    CarregaRestaurante(a, produtos, comandas);
    a.EsvaziaPasta();
    AvisosDelivery avisos;
    LigaProcedimentos(a.ctx, avisos);
    SemAgendador agendador;
    Monitor monitor(a.ctx, agendador);
    std::printf("Start-up, %d products x 3 quantities, %d open comandas x 10 items:\n", produtos, comandas);
    Mede(a, "start-up exports (tmrInicio)", [&] { monitor.tmrInicio_Timer(); });
    Mede(a, "first tick (scan and background checks)", [&] { monitor.Timer1_Timer(); });
    a.ctx.procs = {};
}

}  // namespace varelo::bench
