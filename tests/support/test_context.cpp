#include "tests/support/test_context.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "base/encoding.h"
#include "base/errors.h"
#include "tests/support/program_run.h"

namespace varelo {
namespace {

std::string Cria(const std::string& pasta) {
    std::filesystem::create_directories(pasta);
    return pasta;
}

}  // namespace

void ArquivosTeste::apaga(const std::string& c) {
    if (falhasApaga > 0) {
        --falhasApaga;
        throw Erro("Permissão negada: " + c);
    }
    disco.apaga(c);
}

void ContextoTeste::LimpaBanco() {
    const char* fonte = std::getenv("VARELO_SOURCE_DIR");
    const char* pasta = std::getenv("VARELO_TEST_DB_DIR");
    ASSERT_TRUE(fonte && pasta) << "run through ctest: the database fixture is missing";
    const std::string comando =
        std::string(fonte) + "/scripts/private-mariadb.sh reset '" + pasta + "'";
    ASSERT_EQ(std::system(comando.c_str()), 0) << comando;
}

std::vector<std::string> ContextoTeste::consulta(const std::string& sql,
                                                 const std::string& coluna) {
    std::vector<std::string> valores;
    banco.AbreBanco3(sql);
    for (; !banco.rs3().eof(); banco.rs3().proximo())
        valores.push_back(banco.rs3().campo(coluna).value_or("NULL"));
    banco.FechaBanco3();
    return valores;
}

std::string ContextoTeste::IpServidorTeste() {
    const char* porta = std::getenv("VARELO_TEST_DB_PORT");
    return std::string("127.0.0.1;Port=") + (porta ? porta : "33061");
}

ContextoTeste::ContextoTeste(std::string ipServidor)
    : armazem(Cria(pasta.arquivo("config"))),
      banco(eventos, [this] { return ctx.cfg.Driver; }, [this] { return ctx.cfg.IPServidor; },
            [this] { return ctx.cfg.credenciais; }),
      impressao((Cria(pasta.arquivo("impressoras/default")), Cria(pasta.arquivo("impressoras/cozinha")),
                 Cria(pasta.arquivo("impressoras/bar")), pasta.arquivo("impressoras"))),
      ctx{relogio, arquivos, armazem, eventos, impressos, banco, mensagens,
          timer1, processos, executor, impressao} {
    ctx.pastaPrograma = pasta.caminho();
    ctx.cfg.txtPasta = Cria(pasta.arquivo("comandas"));
    ctx.cfg.Driver = "MariaDB Unicode";
    ctx.cfg.IPServidor = std::move(ipServidor);
}

std::string ContextoTeste::pedido(const std::string& nome, const std::string& conteudoUtf8) {
    const std::string caminho = comanda(nome);
    arquivos.grava(caminho, ParaCp1252(conteudoUtf8));
    return caminho;
}

std::vector<std::string> NovasLinhas(const std::vector<std::string>& todas, std::size_t& vistas) {
    if (vistas > todas.size()) vistas = 0;
    std::vector<std::string> novas(todas.begin() + static_cast<long>(vistas), todas.end());
    vistas = todas.size();
    return novas;
}

std::vector<std::string> ContextoTeste::novosEventos() { return NovasLinhas(eventos.linhas(), lidos_); }

std::vector<std::string> ContextoTeste::documentos(const std::string& impressora) const {
    std::vector<std::string> textos;
    for (const auto& caminho : Documentos(pasta.arquivo("impressoras/" + impressora)))
        textos.push_back(Le(caminho));
    return textos;
}

}  // namespace varelo
