#pragma once
#include <string>
#include <vector>

namespace varelo {

// A text's lines as a line-by-line reading gives them: a line ends at CR LF,
// LF or a CR alone, and a text that ends with a line break has no empty
// last line.
std::vector<std::string> LinhasDoTexto(const std::string& texto);

}  // namespace varelo
