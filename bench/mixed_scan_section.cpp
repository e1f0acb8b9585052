// One whole scan of a folder holding a mix of requests, as a busy moment of
// service leaves it: new items, table tickets, bills, statement refreshes,
// cancellations, print files and closed comandas, all handled by the
// program's own procedures against a real server, printing to spool folders.
#include <cstdio>
#include <memory>

#include "app/wiring.h"
#include "bench/sections.h"
#include "checks/delivery_check.h"
#include "transactions/scan.h"

namespace varelo::bench {
namespace {

void Prepara(Ambiente& a) {
    for (const char* t : {"ItemComanda", "Comanda", "Logs", "LogImp", "sequencias", "Produtos", "Grupos",
                          "Cadqtde", "cadcomanda"})
        a.Executa(std::string("Delete from ") + t);
    a.Executa("Insert into Grupos (idgrupo, nome, Impressora, Impressora2) values "
              "(1,'Pratos','cozinha',''),(2,'Bebidas','bar','')");
    a.Executa("Insert into Produtos (codigo, descricao, idgrupo, preco_v, Unidade, monitorado, tempopreparo) "
              "values (15,'Feijoada Completa',1,59.9,'PT',1,25),(10,'Caipirinha de Limão',2,18,'UN',0,5)");
    a.Executa("Insert into Cadqtde (codigo, Descricao, Qtde) values (15,'Inteira',1),(10,'Dose',1)");
    a.Executa("Insert into sequencias (seqcomanda) values (0)");
    for (const char* impressora : {"cozinha", "bar", "caixa"})
        fs::create_directories(a.raiz / "impressoras" / impressora);
    a.armazem.grava("Varelo", "Config", "ImpCupom", "caixa");
}

void Pede(Ambiente& a, const std::string& nome, const std::string& conteudo) {
    a.disco.grava(Junta(a.ctx.cfg.txtPasta, nome), conteudo);
}

std::string Inclusao(int produto, const char* quantidade, int comanda, int mesa) {
    return std::to_string(produto) + ";" + quantidade + ";" + std::to_string(comanda) + ";;" +
           std::to_string(mesa) + ";Ana;;0\r\n";
}

long Impressos(const Ambiente& a) {
    long n = 0;
    for (const auto& e : fs::recursive_directory_iterator(a.raiz / "impressoras"))
        if (e.is_regular_file() && e.path().extension() == ".txt") ++n;  // one per document
    return n;
}

bool EhPedido(const std::string& nome) {
    for (const char* tipo : {"INCLUSAO", "PRINTM", "FECHACONTA", "ATUALIZA", "EXCLUSAO", "IMP", "FECHACOMANDA"})
        if (nome.rfind(tipo, 0) == 0) return true;
    return false;
}

}  // namespace

bool SecaoVarreduraMista(Ambiente& a, int arquivos) {
    a.EsvaziaPasta();
    Prepara(a);
    AvisosDelivery avisos;
    LigaProcedimentos(a.ctx, avisos);
    auto erros = std::make_shared<long>(0);
    a.eventos.observar({[erros](const std::string& linha) {
                            if (linha.find("Erro") != std::string::npos) ++*erros;
                        },
                        [] {}});

    // Open comandas 1..n on tables 1..n, with a dish and a drink each not
    // yet printed, launched by the program itself before the clock starts.
    const int n = arquivos / 10;
    for (int c = 1; c <= n; ++c) Pede(a, "INCLUSAO" + std::to_string(c) + ".txt", Inclusao(15, "Inteira", c, c));
    VarreDirs(a.ctx);
    for (int c = 1; c <= n; ++c) Pede(a, "INCLUSAO" + std::to_string(c) + ".txt", Inclusao(10, "Dose", c, c));
    VarreDirs(a.ctx);
    a.EsvaziaPasta();
    *erros = 0;

    // Ten kinds of work in one folder: 4n new items on new comandas at the
    // same tables, and n of each other request.
    for (int i = 1; i <= 4 * n; ++i)
        Pede(a, "INCLUSAO" + std::to_string(n + i) + ".txt", Inclusao(i % 2 ? 15 : 10, i % 2 ? "Inteira" : "Dose", n + i, (i - 1) % n + 1));
    for (int c = 1; c <= n; ++c) {
        const std::string numero = std::to_string(c);
        Pede(a, "PRINTM" + numero + ".txt", "\r\n");
        Pede(a, "FECHACONTA" + numero + ".txt", "\r\n");
        Pede(a, "ATUALIZA" + numero + ".txt", "\r\n");
        Pede(a, "FECHACOMANDA" + std::to_string(n + c) + ".txt", "\r\n");
        Pede(a, "EXCLUSAO" + std::to_string(5 * n + c) + ".txt", "\r\n");
        Pede(a, "IMP" + numero + ".txt", "cozinha\r\nRetirar pedido " + numero + "\r\nno balcão\r\n");
    }
    const int total = 10 * n;
    // A ticket per item of the n tables (2 + 4 each), a bill per open
    // comanda, a document per print file.
    const long esperados = 6L * n + n + n;
    const long antes = Impressos(a);
    a.comandosSql = 0;
    const auto inicio = std::chrono::steady_clock::now();
    VarreDirs(a.ctx);
    const double s = Segundos(inicio);

    long sobrando = 0;
    for (const auto& nome : a.disco.lista(a.ctx.cfg.txtPasta)) sobrando += EhPedido(nome);
    std::printf("Whole scan of %d mixed request files (%d INCLUSAO, %d each of PRINTM, FECHACONTA,\n"
                "ATUALIZA, FECHACOMANDA, EXCLUSAO, IMP):\n",
                total, 4 * n, n);
    std::printf("  %-44s %6.3f s, %.2f ms per file, %.1f statements per file\n", "one scan", s, s * 1000 / total,
                static_cast<double>(a.comandosSql) / total);
    const long impressos = Impressos(a) - antes;
    std::printf("  %-44s %ld documents printed (of %ld), %ld requests left, %ld error lines\n", "", impressos,
                esperados, sobrando, *erros);
    a.ctx.procs = {};
    return impressos == esperados && sobrando == 0 && *erros == 0;
}

}  // namespace varelo::bench
