#pragma once
#include <string>
#include <vector>

#include "base/event_list.h"
#include "base/files.h"
#include "base/platform.h"
#include "base/user_store.h"
#include "core/context.h"
#include "db/banco.h"
#include "printing/spool_printer.h"
#include "tests/support/manual_clock.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/stand_ins.h"

namespace varelo {

// The lines past the first `vistas`, which then counts them all. A list
// that emptied itself past its bound is new again, whole.
std::vector<std::string> NovasLinhas(const std::vector<std::string>& todas, std::size_t& vistas);

// Everything a procedure needs, on a scratch folder of the test's own: the
// program's folder, the monitored folder "comandas", the printers under
// "impressoras" (default, cozinha, bar) and the per-user store.
// The database is the private server's (port from VARELO_TEST_DB_PORT), or
// whatever server text the test gives.
struct ContextoTeste {
    explicit ContextoTeste(std::string ipServidor = IpServidorTeste());

    static std::string IpServidorTeste();
    std::string pastaComandas() const { return ctx.cfg.txtPasta; }
    std::string comanda(const std::string& nome) const { return Junta(ctx.cfg.txtPasta, nome); }
    // Writes a request file into the monitored folder, in Windows-1252.
    std::string pedido(const std::string& nome, const std::string& conteudoUtf8);
    // Drops and recreates every table of the private server.
    static void LimpaBanco();
    // Runs a statement of the test's own on the program's connection.
    void executa(const std::string& sql) {
        banco.AbreBanco(sql);
        banco.FechaBanco();
    }
    // The values of one column over the rows of a query, "NULL" for a null.
    std::vector<std::string> consulta(const std::string& sql, const std::string& coluna);
    // The documents that spool printer received, oldest first.
    std::vector<std::string> documentos(const std::string& impressora) const;
    // The event-list lines added since the last call.
    std::vector<std::string> novosEventos();

    PastaTemporaria pasta;
    RelogioManual relogio;
    ArquivosTeste arquivos;
    ArmazemIni armazem;
    ListaEventos eventos;
    ListaImpressos impressos;
    Banco banco;
    MensagensGravadas mensagens;
    TimerFalso timer1;
    ProcessosFalsos processos;
    ExecutorGravado executor;
    ImpressoraSpool impressao;
    Contexto ctx;

private:
    std::size_t lidos_ = 0;
};

}  // namespace varelo
