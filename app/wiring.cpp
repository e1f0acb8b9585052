#include "app/wiring.h"

#include "checks/auto_receipt.h"
#include "checks/delivery_check.h"
#include "checks/pending.h"
#include "checks/tablet.h"
#include "core/context.h"
#include "export/catalog.h"
#include "export/consumption.h"
#include "printing/bill.h"
#include "printing/delivery_ticket.h"
#include "printing/kitchen_ticket.h"
#include "printing/layout.h"
#include "printing/print_transaction.h"
#include "transactions/inclusion.h"

namespace varelo {

void LigaProcedimentos(Contexto& ctx, AvisosDelivery& avisos) {
    Procedimentos& p = ctx.procs;
    Contexto* c = &ctx;
    p.InclueItem = [c](const std::string& caminho) { InclueItem(*c, caminho); };
    p.ImprimeCupom = [c](std::int32_t mesa) { return ImprimeCupom(*c, mesa); };
    p.ImprimeDelivery = [c](std::int32_t pedido) { return ImprimeDelivery(*c, pedido); };
    p.FechaConta = [c](std::int32_t comanda, const std::string& caminho, const std::string& marcaExtra) {
        return FechaConta(*c, comanda, caminho, marcaExtra);
    };
    p.ImprimeDiverso = [c](const std::string& caminho) { return ImprimeDiverso(*c, caminho); };
    p.ExportaConsumos = [c](const std::string& pasta, const std::string& comanda) {
        ExportaConsumos(*c, pasta, comanda);
    };
    p.ExportaProdutos = [c](const std::string& pasta) { ExportaProdutos(*c, pasta); };
    p.ExportaAtendentes = [c](const std::string& pasta) { ExportaAtendentes(*c, pasta); };
    p.ExportaComandas = [c](const std::string& pasta) { ExportaComandas(*c, pasta); };
    p.ExportaQtdes = [c](const std::string& pasta) { ExportaQtdes(*c, pasta); };
    p.ExportaObs = [c](const std::string& pasta) { ExportaObs(*c, pasta); };
    p.VerificaTablet = [c](const std::string& pasta) { VerificaTablet(*c, pasta); };
    p.VerificaPendentes = [c] { VerificaPendentes(*c); };
    p.VerificaDelivery = [c, &avisos](const std::string& pasta) { VerificaDelivery(*c, pasta, avisos); };
    p.VerificaRecebComanda = [c] { VerificaRecebComanda(*c); };
    p.ImprimePendentes = [c] { ImprimePendentes(*c); };
}

}  // namespace varelo
