#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <utility>

namespace varelo {

struct Contexto;

// The delivery requests other than a ticket (Comando 2, 3 and above) that
// were already reported, by order number and value. A request is reported
// again only after it has changed or gone and come back.
class AvisosDelivery {
public:
    bool jaAvisado(std::int32_t pedido, std::int32_t comando) const {
        return vistos_.count({pedido, comando}) != 0;
    }
    // Keeps exactly the requests still pending at this check.
    void substitui(std::set<std::pair<std::int32_t, std::int32_t>> pendentes) {
        vistos_ = std::move(pendentes);
    }

private:
    std::set<std::pair<std::int32_t, std::int32_t>> vistos_;
};

// Serves the delivery ticket requests that other clients queue in
// Delivery.Comando: the lowest order whose request is 1 is printed and
// cleared, one per call. Other values are left as they are and logged once
// (see AvisosDelivery), so they hold back no later request.
void VerificaDelivery(Contexto& ctx, const std::string& pasta, AvisosDelivery& avisos);
}  // namespace varelo
