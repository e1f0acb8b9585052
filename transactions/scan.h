#pragma once

namespace varelo {

struct Contexto;

// One scan of the monitored folder: every request file is handed to the
// procedure of its kind and removed, then the database checks run.
void VarreDirs(Contexto& ctx);

}  // namespace varelo
