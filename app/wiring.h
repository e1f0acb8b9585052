#pragma once

namespace varelo {

struct Contexto;
class AvisosDelivery;

// Connects the procedures that one subsystem calls in another: the scan's
// dispatch, the start-up exports and the checks. `avisos` is the delivery
// check's memory, kept for the program's whole life.
void LigaProcedimentos(Contexto& ctx, AvisosDelivery& avisos);

}  // namespace varelo
