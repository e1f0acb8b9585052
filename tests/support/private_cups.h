#pragma once
#include <cstdlib>
#include <string>

namespace varelo {

// Runs a shell command line and returns its exit status (-1 when it did not
// exit normally), with its standard output and error in `saida`.
int Executa(const std::string& linha, std::string& saida);

// A word for a shell command line. Paths here are made by mkdtemp and never
// hold a quote.
std::string Aspas(const std::string& texto);

// A TCP port on 127.0.0.1 that nothing listens on right now.
int PortaLivre();

// A socket listening on 127.0.0.1:`porta` (0: any free port), for the
// caller to close; throws when it cannot. PortaDe tells its port.
int EscutaLocal(int porta);
int PortaDe(int socket);

// True when cupsd is installed on this machine.
bool TemCupsd();

// A private cupsd, started by scripts/private-cups.sh in `pasta` with its
// one queue, varelo-teste, stopped (the script waits until its process has
// ended) and its files removed when the object goes, whatever the test did.
// The folders above `pasta` must be searchable by the user lp.
class CupsPrivado {
public:
    static constexpr const char* kFila = "varelo-teste";

    CupsPrivado(std::string pasta, int porta);
    ~CupsPrivado() { faz("stop"); }
    CupsPrivado(const CupsPrivado&) = delete;
    CupsPrivado& operator=(const CupsPrivado&) = delete;

    bool iniciado() const { return iniciado_; }
    const std::string& saidaInicio() const { return saidaInicio_; }
    std::string endereco() const { return "127.0.0.1:" + std::to_string(porta_); }
    // The file the queue writes each job to, unchanged; the scheduler's log.
    std::string saidaDaFila() const { return pasta_ + "/out/job.prn"; }
    std::string registro() const;
    // private-cups.sh ACTION on this scheduler, with MORE arguments: reject
    // and accept (the queue stops or goes on taking jobs), jobs (how many it
    // holds, in every state), lpstat ARGS, wait-job (until the queue's file
    // holds a whole PDF, 30 s at most), stop. Whether it succeeded; `saida`
    // is its output.
    bool faz(const std::string& acao, const std::string& mais = "", std::string* saida = nullptr) const;
    std::string saida(const std::string& acao, const std::string& mais = "") const {
        std::string texto;
        faz(acao, mais, &texto);
        return texto;
    }

private:
    std::string pasta_;
    int porta_;
    bool iniciado_ = false;
    std::string saidaInicio_;
};

}  // namespace varelo
