#include "app/monitor.h"

#include <chrono>

#include "app/command_line.h"
#include "app/startup_settings.h"
#include "base/errors.h"
#include "base/event_list.h"
#include "base/file_patterns.h"
#include "base/files.h"
#include "base/platform.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "db/banco.h"
#include "export/pending_exports.h"
#include "printing/print_transaction.h"
#include "transactions/inclusion.h"
#include "transactions/scan.h"

namespace varelo {
namespace {

constexpr std::chrono::seconds kPausaErroBanco{10};
constexpr Cor kVermelhoEscuro{192, 0, 0};
constexpr Cor kAzulEscuro{0, 0, 192};

// Deletes every file of the folder that matches the pattern. A file that
// cannot be deleted is named in the event list and the others still go.
void ApagaPorPadrao(Contexto& ctx, const std::string& pasta, const std::string& padrao) {
    std::vector<std::string> nomes;
    try {
        nomes = ListaPorPadrao(ctx.arquivos, pasta, padrao);
    } catch (const Erro& e) {
        ctx.eventos.AdicionaEvento(e.what());
        return;
    }
    for (const std::string& nome : nomes) {
        try {
            ctx.arquivos.apaga(Junta(pasta, nome));
        } catch (const Erro& e) {
            ctx.eventos.AdicionaEvento(e.what());
        }
    }
}

// The running processes whose executable name is `nome`, without regard to
// case; 0 when the list cannot be taken.
int ContaInstancias(ListaProcessos& processos, const std::string& nome) {
    try {
        int n = 0;
        for (const std::string& p : processos.nomes())
            if (p.size() == nome.size() && CasaPadrao(p, nome)) ++n;
        return n;
    } catch (const Erro&) {
        return 0;
    }
}

}  // namespace

Monitor::Monitor(Contexto& ctx, Agendador& agendador) : ctx_(ctx), agendador_(agendador) {}

Monitor::Carga Monitor::Form_Load(std::function<void()> aoCarregar) {
    if (CarregaAjustesLocais(ctx_) == ResultadoCarga::Terminal) return Carga::Terminal;
    try {
        CarregaTabelaConfig(ctx_);
        return Carga::Pronto;
    } catch (const ErroBanco&) {
        ctx_.banco.abandona();
        agendador_.depois(kPausaErroBanco, [this, aoCarregar] { TentaCarregarConfig(aoCarregar); });
        return Carga::AguardandoBanco;
    } catch (const ServidorIncompativel& e) {
        RecusaServidor(e.what());
        return Carga::ServidorIncompativel;
    }
}

void Monitor::TentaCarregarConfig(std::function<void()> aoCarregar) {
    try {
        CarregaTabelaConfig(ctx_);
    } catch (const ErroBanco&) {
        ctx_.banco.abandona();
        agendador_.depois(kPausaErroBanco, [this, aoCarregar] { TentaCarregarConfig(aoCarregar); });
        return;
    } catch (const ServidorIncompativel& e) {
        RecusaServidor(e.what());
        if (encerra) encerra(kSaidaServidorIncompativel);
        return;
    }
    if (aoCarregar) aoCarregar();
}

void Monitor::RecusaServidor(const std::string& motivo) {
    ctx_.eventos.AdicionaEvento(motivo);
    ctx_.mensagens.informa("VareloSync", motivo + " O sistema será finalizado agora.");
}

bool Monitor::Protege(const std::function<void()>& handler) {
    ctx_.banco.novaUnidade();
    bool concluido = false;
    try {
        handler();
        concluido = true;
    } catch (const ErroBanco& e) {
        // The work in progress is abandoned: its transaction rolls back, the
        // request file it was handling stays in the folder and is handled
        // again, and an export it cut short runs again at the next tick.
        ctx_.banco.abandona();
        if (e.perdaDeConexao()) Pausa();
    } catch (const ServidorIncompativel& e) {
        ctx_.banco.abandona();
        ctx_.timer1.desliga();
        RecusaServidor(e.what());
        if (encerra) encerra(kSaidaServidorIncompativel);
    }
    avisa();
    return concluido;
}

void Monitor::Pausa() {
    ctx_.timer1.desliga();
    if (emPausa_) return;
    emPausa_ = true;
    agendador_.depois(kPausaErroBanco, [this] {
        emPausa_ = false;
        // The operator's stop, pressed during the pause, wins.
        if (iniciado_ && ligadoPeloOperador_) ctx_.timer1.liga();
        avisa();
    });
}

void Monitor::tmrInicio_Timer() {
    // A second copy goes before it touches anything of the first one's.
    if (ContaInstancias(ctx_.processos, ctx_.nomeExecutavel) > 1) {
        for (int i = 0; i < 1000; ++i)
            ctx_.eventos.AdicionaEvento("JÁ EXISTE UMA INSTANCIA DESTE EXECUTAVEL ABERTO. FINALIZANDO SISTEMA.");
        if (encerra) encerra(kSaidaSegundaCopia);
        return;
    }
    const std::string pasta = ctx_.cfg.txtPasta;
    for (const char* padrao : {"erro*.txt", "cons*.txt", "atualiza*.txt", "okcomanda*.txt"})
        ApagaPorPadrao(ctx_, pasta, padrao);
    ReconciliaInclusoes(ctx_);
    ReconciliaImpressoes(ctx_);
    iniciado_ = true;
    // Exports that the database cuts short run again at the monitor's next
    // tick, once the pause is over.
    Protege([this] { ExportaCatalogo("inicio", true); });
    if (!emPausa_ && ligadoPeloOperador_) ctx_.timer1.liga();
    avisa();
}

void Monitor::Timer1_Timer() {
    // A file deletion switches the timer on (so does the end of a scan);
    // neither starts scans that the operator or a pause stopped.
    if (!iniciado_ || emPausa_ || !ligadoPeloOperador_) {
        ctx_.timer1.desliga();
        return;
    }
    Protege([this] {
        RetomaExportacoes(ctx_);
        VarreDirs(ctx_);
    });
    corMonitor_ = pisca_ ? kVermelhoEscuro : kAzulEscuro;
    pisca_ = !pisca_;
    avisa();
}

void Monitor::ArquivoChegou() {
    if (ctx_.timer1.ligado()) Timer1_Timer();
}

void Monitor::cmdIniciar_Click() {
    if (ligadoPeloOperador_) {
        ligadoPeloOperador_ = false;
        ctx_.timer1.desliga();
        captionIniciar_ = "&Iniciar Monitor";
        captionMonitor_ = "Monitor Parado!";
    } else {
        ligadoPeloOperador_ = true;
        if (iniciado_ && !emPausa_) ctx_.timer1.liga();
        captionIniciar_ = "&Parar Monitor";
        captionMonitor_ = "Monitorando...";
    }
    avisa();
}

void Monitor::cmdAtualizar_Click() {
    Protege([this] { ExportaCatalogo("atualizar", false); });
}

void Monitor::ExportaCatalogo(const std::string& chave, bool comConsumos) {
    Retomavel(ctx_, chave, [this, comConsumos] {
        Chama(ctx_.procs.ExportaProdutos, ctx_.cfg.txtPasta);
        Chama(ctx_.procs.ExportaQtdes, ctx_.cfg.txtPasta);
        Chama(ctx_.procs.ExportaObs, ctx_.cfg.txtPasta);
        Chama(ctx_.procs.ExportaComandas, ctx_.cfg.txtPasta);
        Chama(ctx_.procs.ExportaAtendentes, ctx_.cfg.txtPasta);
        if (comConsumos) Chama(ctx_.procs.ExportaConsumos, ctx_.cfg.txtPasta, std::string("0"));
    });
}

void Monitor::cmdConsumos_Click() {
    // The export replaces every statement and removes those of comandas no
    // longer open; until a statement is replaced the old one stays whole.
    Protege([this] { Chama(ctx_.procs.ExportaConsumos, ctx_.cfg.txtPasta, std::string("0")); });
}

void Monitor::avisa() {
    if (estadoMudou) estadoMudou();
}

}  // namespace varelo
