#pragma once
#include <cstdint>
#include <string>

namespace varelo {

struct Contexto;

// Where the label printer is written for an ImpEtiqueta setting: "LPT1",
// "LPT2", ... are the parallel ports /dev/lp0, /dev/lp1, ...; "COM1", ...
// the serial ports /dev/ttyS0, ... (either in any letter case, an ending
// ":" allowed); any other text is a path, taken from the program's folder
// when it is not absolute (/dev/usb/lp0, a file, a named pipe).
std::string CaminhoEtiqueta(const std::string& pastaPrograma, const std::string& impEtiqueta);

// Prints the labels of the items of `comanda` whose label is still pending:
// the template etiqueta.txt of the program's folder with its placeholders
// filled, sent to the label printer of the ImpEtiqueta setting, as many
// copies as the first item's quantity. A label holds up to sixteen items;
// more items give further labels in the same job. The items written are
// marked labelled, and the kitchen item `itemCozinha` (its key, when the
// kitchen ticket asks) marked printed, in one transaction that commits only
// once the port took the labels. Any failure but the database's is logged
// and leaves the items pending for the next call.
void GeraEtiqueta(Contexto& ctx, std::int32_t comanda, const std::string& itemCozinha = "");

}  // namespace varelo
