// The kill points: the real program (varelosync-falhas) dies by SIGKILL
// before a database round trip that writes or commits, or right after a
// print job was taken; it is started again and must finish the work with
// the invariants kept.
#include <chrono>
#include <memory>
#include <thread>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/startup_settings.h"
#include "base/ini.h"
#include "db/banco.h"
#include "tests/faults/outcome.h"
#include "tests/faults/scenarios.h"
#include "tests/support/program_run.h"
#include "tests/support/test_context.h"
#include "transactions/scan.h"

namespace varelo::falhas {
namespace {

using namespace std::chrono_literals;

// The ways worth dying at a point: before a statement that writes or a
// commit, once a commit is done, right after a print job was taken.
std::vector<Modo> ModosDeMorte(const std::string& linha) {
    if (linha.rfind("trabalho", 0) == 0) return {Modo::Mata};
    const std::string comando = linha.substr(linha.find(' ') + 1);
    if (comando.rfind("commit", 0) == 0) return {Modo::Mata, Modo::MataDepois};
    for (const char* escrita : {"Insert", "INSERT", "Update", "delete"})
        if (comando.rfind(escrita, 0) == 0) return {Modo::Mata};
    return {};
}

// The program's folders and settings, on a test's scratch folder.
class Instalacao {
public:
    explicit Instalacao(const Cenario& c) {
        const std::string ini = CaminhoConfigIni(t.ctx);
        GravaIni("VareloSync", "PastaComanda", t.pastaComandas(), ini);
        GravaIni("Varelo", "IPServidor", ContextoTeste::IpServidorTeste(), ini);
        GravaIni("Varelo", "Driver", "MariaDB Unicode", ini);
        for (const auto& [chave, valor] : std::vector<std::pair<std::string, std::string>>{
                 {"ImpCupom", "default"}, {"LinhaFim", "2"}, {"Nome", "Restaurante"}})
            t.armazem.grava("Varelo", "Config", chave, valor);
        for (const std::string& sql : Limpeza()) t.executa(sql);
        for (const std::string& sql : c.sql) t.executa(sql);
        for (const auto& [nome, conteudo] : c.pedidos) t.arquivos.disco.grava(t.comanda(nome), conteudo);
    }


    // The program with `falha` (empty: none), counting its points into `pontos`.
    std::unique_ptr<Execucao> Inicia(const std::string& nome, const std::string& falha, const std::string& pontos = "") {
        setenv("XDG_CONFIG_HOME", t.armazem.pastaBase().c_str(), 1);
        if (falha.empty()) unsetenv("VARELO_FALHA");
        else setenv("VARELO_FALHA", falha.c_str(), 1);
        if (pontos.empty()) unsetenv("VARELO_PONTOS");
        else setenv("VARELO_PONTOS", pontos.c_str(), 1);
        auto programa = std::make_unique<Execucao>(
            std::vector<std::string>{"--home", t.pasta.caminho(), "--print-to", t.pasta.arquivo("impressoras"),
                                     "--headless"},
            t.pasta.caminho(), nome);
        unsetenv("VARELO_FALHA");
        unsetenv("VARELO_PONTOS");
        return programa;
    }

    // Until every request is served; then time passes and the overdue check
    // prints what waited.
    bool Termina(Execucao& programa) {
        const bool servidos = Aguarda(
            [&] {
                for (const std::string& nome : t.arquivos.disco.lista(t.pastaComandas()))
                    if (!TipoDoPedido(nome).empty()) return false;
                return true;
            },
            40s);
        // The points counted up to here are the ones a killed run can reach.
        if (aoServir) aoServir();
        t.banco.abandona();
        t.executa("Update ItemComanda set DataHora = now() - interval 10 minute where impresso=0");
        Aguarda([&] { return t.consulta("Select count(*) as n from ItemComanda where impresso=0", "n").at(0) == "0"; },
                15s);
        programa.Para();
        return servidos;
    }

    ContextoTeste t;
    std::function<void()> aoServir;
};

Linhas LinhasDoArquivo(const std::string& caminho) {
    Linhas linhas;
    std::ifstream f(caminho);
    for (std::string l; std::getline(f, l);) linhas.push_back(l);
    return linhas;
}

Linhas Eventos(const Execucao& a, const Execucao& b) {
    Linhas eventos;
    for (const Execucao* e : {&a, &b}) {
        std::string texto = e->Saida();
        std::size_t de = 0;
        for (std::size_t fim; (fim = texto.find('\n', de)) != std::string::npos; de = fim + 1)
            eventos.push_back(texto.substr(de, fim - de));
    }
    return eventos;
}

}  // namespace

void RodaPontosDeMorte(Placar& placar, long& relatados) {
    const Cenario c = CenarioDeMorte();
    Resultado referencia;
    Linhas pontos;
    {
        Instalacao inst(c);
        const std::string arquivoPontos = inst.t.pasta.arquivo("pontos.txt");
        auto programa = inst.Inicia("referencia", "", arquivoPontos);
        inst.aoServir = [&] { pontos = LinhasDoArquivo(arquivoPontos); };
        if (!inst.Termina(*programa)) {
            std::printf("%s: a referência não serviu todos os pedidos\n", c.nome.c_str());
            ++placar.perdidos;
            return;
        }
        referencia = Colhe(inst.t, {});
        referencia.eventos = Eventos(*programa, *programa);
    }
    for (const std::string& p : ProblemasDaReferencia(referencia)) std::printf("  referência: %s\n", p.c_str());

    int comandos = 0, trabalhos = 0, tentados = 0;
    for (const std::string& linha : pontos) {
        const bool trabalho = linha.rfind("trabalho", 0) == 0;
        const int indice = trabalho ? ++trabalhos : ++comandos;
        for (Modo modo : ModosDeMorte(linha)) {
        ++tentados;
        const Alvo alvo{trabalho ? Ponto::Trabalho : Ponto::Comando, indice, modo};
        Instalacao inst(c);
        const std::string tipo = trabalho ? "trabalho:" : modo == Modo::MataDepois ? "comando-depois:" : "comando:";
        auto morto = inst.Inicia("morto", tipo + std::to_string(indice));
        const int saida = morto->Termina(std::chrono::seconds(40));
        if (saida != 128 + 9) {
            morto->Mata();
            std::printf("  %s, %s %d: o programa não morreu ali (saída %d)\n", c.nome.c_str(), NomePonto(alvo.ponto),
                        indice, saida);
        }
        auto vivo = inst.Inicia("vivo", "");
        inst.Termina(*vivo);
        Resultado r = Colhe(inst.t, {});
        r.eventos = Eventos(*morto, *vivo);
        const Veredito v = Compara(referencia, r, /*reinicio=*/true);
        if (placar.conta(v) && relatados++ < 40) Relata(c.nome, alvo, v, r);
        }
    }
    std::printf("%s: %d comando %d trabalho, %d mortes\n", c.nome.c_str(), comandos, trabalhos, tentados);
}

}  // namespace varelo::falhas
