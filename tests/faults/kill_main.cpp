// The program as shipped, for the kill points of the fault-point harness: it
// dies (SIGKILL) where VARELO_FALHA says, as a crash or a power cut would
// end it:
//   VARELO_FALHA=comando:K          before the K-th database round trip
//   VARELO_FALHA=comando-depois:K   once the server did the K-th round trip
//   VARELO_FALHA=trabalho:J         right after the J-th print job was taken
// Empty values are none. With VARELO_PONTOS=FILE it appends one line per point reached ("comando
// <text>" or "trabalho"), so that a run without a fault counts them.
#include <cstdlib>
#include <fstream>
#include <memory>

#include "app/gui/application.h"
#include "app/program.h"
#include "tests/faults/faults.h"

namespace varelo::falhas {
namespace {

class ExtensaoFalhas final : public Extensao {
public:
    ExtensaoFalhas() {
        if (const char* falha = std::getenv("VARELO_FALHA"); falha && *falha) {
            const std::string f = falha, tipo = f.substr(0, f.find(':'));
            const Ponto ponto = tipo == "trabalho" ? Ponto::Trabalho : Ponto::Comando;
            injetor_.alvo = Alvo{ponto, std::atoi(f.c_str() + tipo.size() + 1),
                                 tipo == "comando-depois" ? Modo::MataDepois : Modo::Mata};
        }
        if (const char* pontos = std::getenv("VARELO_PONTOS"); pontos && *pontos)
            injetor_.aoChegar = [arquivo = std::string(pontos)](Ponto ponto, const std::string& oQue) {
                std::ofstream(arquivo, std::ios::app) << kNomePonto[int(ponto)] << ' ' << oQue.substr(0, 80) << '\n';
            };
    }

    SistemaImpressao& impressao(SistemaImpressao& real) override {
        impressao_ = std::make_unique<ImpressaoComFalhas>(real, injetor_);
        return *impressao_;
    }
    void prepara(Programa& programa) override { Instala(programa.ctx().banco, injetor_); }

private:
    Injetor injetor_;
    std::unique_ptr<ImpressaoComFalhas> impressao_;
};

}  // namespace
}  // namespace varelo::falhas

int main(int argc, char** argv) {
    varelo::falhas::ExtensaoFalhas extensao;
    return varelo::ExecutaPrograma(argc, argv, &extensao);
}
