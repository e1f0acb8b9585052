#pragma once
#include <string>
#include <vector>

namespace varelo {

class Arquivos;

// True when a file name matches a pattern of "*" and "?" without regard to
// letter case, as the folder patterns of the handhelds' files are meant.
bool CasaPadrao(const std::string& nome, const std::string& padrao);

// The plain files of a folder whose names match the pattern.
std::vector<std::string> ListaPorPadrao(Arquivos& arquivos, const std::string& pasta,
                                        const std::string& padrao);

}  // namespace varelo
