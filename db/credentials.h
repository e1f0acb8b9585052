#pragma once
#include <optional>
#include <string>

namespace varelo {

// Optional database user and password of config.ini; the fixed ones of the
// order system are used for a key that is missing.
struct Credenciais {
    std::optional<std::string> usuario;
    std::optional<std::string> senha;
};

}  // namespace varelo
