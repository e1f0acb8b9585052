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
    ~CupsPrivado() { para(); }
    CupsPrivado(const CupsPrivado&) = delete;
    CupsPrivado& operator=(const CupsPrivado&) = delete;

    bool iniciado() const { return iniciado_; }
    const std::string& saidaInicio() const { return saidaInicio_; }
    std::string endereco() const { return "127.0.0.1:" + std::to_string(porta_); }
    // The file the queue writes each job to, unchanged.
    std::string saidaDaFila() const { return pasta_ + "/out/job.prn"; }
    std::string registro() const;
    bool responde() const { return script("status"); }
    // lpstat against this scheduler, with its output.
    std::string lpstat(const std::string& argumentos) const { return saida("lpstat", argumentos); }
    // The queue's jobs in every state.
    int trabalhos() const { return std::atoi(saida("jobs").c_str()); }
    // The queue stops taking jobs (cupsreject), or takes them again.
    bool recusa() const { return script("reject"); }
    bool aceita() const { return script("accept"); }
    // Waits until the queue's file holds a whole PDF and returns it (empty
    // when none arrived within 30 s).
    std::string aguardaTrabalho() const;
    bool para();

private:
    // private-cups.sh ACTION pasta_ MORE: whether it succeeded, with its
    // output in `saida`.
    bool script(const std::string& acao, std::string* saida = nullptr, const std::string& mais = "") const;
    std::string saida(const std::string& acao, const std::string& mais = "") const {
        std::string texto;
        script(acao, &texto, mais);
        return texto;
    }

    std::string pasta_;
    int porta_;
    bool iniciado_ = false;
    std::string saidaInicio_;
};

}  // namespace varelo
