#include "app/monitor.h"

#include <chrono>

#include "app/activity_log.h"
#include "app/context.h"
#include "app/errors.h"
#include "app/file_patterns.h"
#include "app/files.h"
#include "app/platform.h"
#include "app/startup_settings.h"
#include "db/banco.h"
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
        AdicionaEvento(ctx, e.what());
        return;
    }
    for (const std::string& nome : nomes) {
        try {
            ctx.arquivos.apaga(Junta(pasta, nome));
        } catch (const Erro& e) {
            AdicionaEvento(ctx, e.what());
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
    }
}

void Monitor::TentaCarregarConfig(std::function<void()> aoCarregar) {
    try {
        CarregaTabelaConfig(ctx_);
    } catch (const ErroBanco&) {
        ctx_.banco.abandona();
        agendador_.depois(kPausaErroBanco, [this, aoCarregar] { TentaCarregarConfig(aoCarregar); });
        return;
    }
    if (aoCarregar) aoCarregar();
}

void Monitor::Protege(const std::function<void()>& handler) {
    const bool ligadoAntes = ctx_.timer1.ligado();
    try {
        handler();
    } catch (const ErroBanco&) {
        // The work in progress is abandoned: its transaction rolls back, the
        // request file it was handling stays in the folder and is handled
        // again once the monitor resumes.
        ctx_.banco.abandona();
        ctx_.timer1.desliga();
        emPausa_ = true;
        agendador_.depois(kPausaErroBanco, [this, ligadoAntes] {
            emPausa_ = false;
            if (ligadoAntes) ctx_.timer1.liga();
        });
    }
    avisa();
}

void Monitor::tmrInicio_Timer() {
    bool concluido = false;
    Protege([this, &concluido] {
        const std::string pasta = ctx_.cfg.txtPasta;
        for (const char* padrao : {"erro*.txt", "cons*.txt", "atualiza*.txt", "okcomanda*.txt"})
            ApagaPorPadrao(ctx_, pasta, padrao);
        Chama(ctx_.procs.ExportaProdutos, ctx_.cfg.txtPasta);
        Chama(ctx_.procs.ExportaQtdes, ctx_.cfg.txtPasta);
        Chama(ctx_.procs.ExportaObs, ctx_.cfg.txtPasta);
        Chama(ctx_.procs.ExportaComandas, ctx_.cfg.txtPasta);
        Chama(ctx_.procs.ExportaAtendentes, ctx_.cfg.txtPasta);
        Chama(ctx_.procs.ExportaConsumos, ctx_.cfg.txtPasta, std::string("0"));
        concluido = true;
    });
    // The monitor starts even when the database was away during the exports:
    // the scans then find it again, and the catalog files are rewritten by
    // the next refresh.
    if (!concluido) {
        agendador_.depois(kPausaErroBanco, [this] { tmrInicio_Timer(); });
        return;
    }
    ctx_.timer1.liga();
    if (ContaInstancias(ctx_.processos, ctx_.nomeExecutavel) > 1) {
        for (int i = 0; i < 1000; ++i)
            AdicionaEvento(ctx_, "JÁ EXISTE UMA INSTANCIA DESTE EXECUTAVEL ABERTO. FINALIZANDO SISTEMA.");
        if (encerra) encerra(3);
    }
    avisa();
}

void Monitor::Timer1_Timer() {
    Protege([this] { VarreDirs(ctx_); });
    corMonitor_ = pisca_ ? kVermelhoEscuro : kAzulEscuro;
    pisca_ = !pisca_;
    avisa();
}

void Monitor::cmdIniciar_Click() {
    if (ctx_.timer1.ligado()) {
        ctx_.timer1.desliga();
        captionIniciar_ = "&Iniciar Monitor";
        captionMonitor_ = "Monitor Parado!";
    } else {
        ctx_.timer1.liga();
        captionIniciar_ = "&Parar Monitor";
        captionMonitor_ = "Monitorando...";
    }
    avisa();
}

void Monitor::cmdAtualizar_Click() {
    Protege([this] {
        Chama(ctx_.procs.ExportaProdutos, ctx_.cfg.txtPasta);
        Chama(ctx_.procs.ExportaQtdes, ctx_.cfg.txtPasta);
        Chama(ctx_.procs.ExportaObs, ctx_.cfg.txtPasta);
        Chama(ctx_.procs.ExportaComandas, ctx_.cfg.txtPasta);
        Chama(ctx_.procs.ExportaAtendentes, ctx_.cfg.txtPasta);
    });
}

void Monitor::cmdConsumos_Click() {
    Protege([this] {
        ApagaPorPadrao(ctx_, ctx_.cfg.txtPasta, "consumo*.*");
        Chama(ctx_.procs.ExportaConsumos, ctx_.cfg.txtPasta, std::string("0"));
    });
}

void Monitor::avisa() {
    if (estadoMudou) estadoMudou();
}

}  // namespace varelo
