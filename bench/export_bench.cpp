// Export speed: the products and named quantities of a 5,000-product
// catalog with 3 quantities each, and the statements of 500 open comandas
// of 10 items each, against a real server. Prints seconds and statements.
#include <cstdio>

#include "bench/bench_support.h"
#include "export/catalog.h"
#include "export/consumption.h"

using namespace varelo;
using namespace varelo::bench;

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
    std::printf("%-16s %.3f s, %ld statements\n", nome, Segundos(inicio), a.comandosSql);
}

}  // namespace

int main(int argc, char** argv) {
    Ambiente a(ServidorDosArgumentos(argc, argv));
    for (const char* t : {"ItemComanda", "Comanda", "pagamentos", "Produtos", "Grupos", "Cadqtde"})
        a.Executa(std::string("Delete from ") + t);
    a.Executa("Insert into Grupos (idgrupo, nome) values (1,'Pratos'),(2,'Bebidas'),(3,'Sobremesas')");
    Insere(a, "Insert into Produtos (codigo, descricao, idgrupo, preco_v, preco_v2, ativo) values ", 5000,
           [](int i) {
               return "(" + std::to_string(i + 1) + ",'Produto ção " + std::to_string(i + 1) + "'," +
                      std::to_string(i % 3 + 1) + ",12.5,10,'S')";
           });
    Insere(a, "Insert into Cadqtde (codigo, Descricao, Qtde) values ", 15000, [](int i) {
        static const char* nomes[] = {"Inteira", "Meia", "Dose dupla"};
        return "(" + std::to_string(i / 3 + 1) + ",'" + nomes[i % 3] + "'," + std::to_string(i % 3 + 1) + ")";
    });
    Insere(a, "Insert into Comanda (Comanda, Ocupantes, Desconto, Couvert, Servico) values ", 500,
           [](int i) { return "(" + std::to_string(i + 1) + ",2,-1,-1,-1)"; });
    Insere(a, "Insert into ItemComanda (Comanda, idProduto, qtde, valor) values ", 5000, [](int i) {
        return "(" + std::to_string(i / 10 + 1) + "," + std::to_string(i % 7 + 1) + ",1,12.5)";
    });

    const std::string pasta = a.ctx.cfg.txtPasta;
    Mede(a, "ExportaProdutos", [&] { ExportaProdutos(a.ctx, pasta); });
    Mede(a, "ExportaQtdes", [&] { ExportaQtdes(a.ctx, pasta); });
    Mede(a, "ExportaConsumos", [&] { ExportaConsumos(a.ctx, pasta, "0"); });
    a.ctx.cfg.ResumoContaPalm = 1;
    Mede(a, "  (grouped)", [&] { ExportaConsumos(a.ctx, pasta, "0"); });

    double comFechamento = 0, semFechamento = 0;
    a.MedeIdaEVolta(comFechamento, semFechamento);
    std::printf("trivial statement: %.3f ms with FechaBanco after it, %.3f ms on an open connection\n",
                comFechamento, semFechamento);
    return 0;
}
