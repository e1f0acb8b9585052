#pragma once

namespace varelo {

class Programa;
class SistemaImpressao;

// What a build of the program for fault tests puts around its services; the
// program as shipped has none.
class Extensao {
public:
    virtual ~Extensao() = default;
    // The printing system the program is to use instead of `real`.
    virtual SistemaImpressao& impressao(SistemaImpressao& real) { return real; }
    // Called once the program is put together, before it loads.
    virtual void prepara(Programa&) {}
};

// Runs the program: reads the command line, builds the services, loads the
// settings and runs the event loop with the window or, with --headless,
// without one. Returns the exit status.
int ExecutaPrograma(int argc, char** argv, Extensao* extensao = nullptr);

}  // namespace varelo
