// The catalog files for the handhelds, byte for byte, from a small catalog
// with accents on the real server.
#include <gtest/gtest.h>


#include "base/encoding.h"
#include "db/banco.h"
#include "export/catalog.h"
#include "tests/support/test_context.h"
#include "transactions/scan.h"

namespace varelo {
namespace {

using Linhas = std::vector<std::string>;

class Catalogo : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        Executa("Insert into Grupos (idgrupo, nome) values (1,'Pratos'),(2,'Bebidas'),(3,'Balcão')");
        Executa("Insert into Produtos (codigo, descricao, idgrupo, preco_v, preco_v2, ativo) values "
                "(10,'Feijoada Ção',1,12.50,15,'S'),"
                "(11,'  Suco; natural ',2,7.25,6,'S'),"
                "(12,'Água',2,4,4,'S'),"
                "(13,'Bolo velho',1,9,9,'N'),"
                "(14,'Sem grupo',99,1,1,'S'),"
                "(15,'Café',3,5,5,'S')");
        Executa("Insert into Cadqtde (codigo, Descricao, Qtde) values "
                "(10,'Inteira',1),(10,'Meia Porção',0.5),(13,'Fatia',0.25),(15,' Duplo ',2)");
        Executa("Insert into observacoes (idobs, codigo, descricao, valor) values "
                "(1,10,'Sem sal',0),(2,10,'Farofa extra',2.5),(3,11,'Sem açúcar',0.75)");
        Executa("Insert into Vendedores (nome, senha, tipo) values "
                "(' João ',' 12 ','GARCON'),('Ana','9','GARCON'),('Caixa','1','CAIXA')");
        t.novosEventos();
    }
    void Executa(const std::string& s) {
        t.banco.AbreBanco(s);
        t.banco.FechaBanco();
    }
    std::string Arquivo(const std::string& nome) { return t.arquivos.le(t.comanda(nome)); }
    // The lines the export added.
    Linhas Registrados() { return t.novosEventos(); }

    ContextoTeste t;
};

TEST_F(Catalogo, ProdutosAtivosComGrupoEOPrecoDoHorario) {
    ExportaProdutos(t.ctx, t.pastaComandas());
    // Ordered by group name, then description; the product with a missing
    // group and the inactive one are left out.
    EXPECT_EQ(Arquivo("cadpro.txt"), ParaCp1252("15;Café;Balcão;5\r\n"
                                                "11;Suco; natural;Bebidas;7.25\r\n"
                                                "12;Água;Bebidas;4\r\n"
                                                "10;Feijoada Ção;Pratos;12.5\r\n"));
    const std::string fim = "\r\n10;Feijoada \xC7\xE3o;Pratos;12.5\r\n";  // the handhelds' bytes
    EXPECT_EQ(Arquivo("cadpro.txt").substr(Arquivo("cadpro.txt").size() - fim.size()), fim);
    EXPECT_EQ(Registrados(), (Linhas{"Exportando -> Café", "Exportando ->   Suco; natural ",
                                          "Exportando -> Água", "Exportando -> Feijoada Ção"}));

    t.ctx.cfg.EmHorario = true;
    t.arquivos.grava(t.comanda("cadpro.txt"), "antigo e mais comprido que o novo arquivo\r\n");
    ExportaProdutos(t.ctx, t.pastaComandas());
    EXPECT_EQ(Arquivo("cadpro.txt"), ParaCp1252("15;Café;Balcão;5\r\n"
                                                "11;Suco; natural;Bebidas;6\r\n"
                                                "12;Água;Bebidas;4\r\n"
                                                "10;Feijoada Ção;Pratos;15\r\n"));
    EXPECT_EQ(t.novosEventos().front(), "Exportando -> Café");
}

TEST_F(Catalogo, AtendentesComSenhaComoGravada) {
    ExportaAtendentes(t.ctx, t.pastaComandas());
    // " João " sorts first by its leading space; the password keeps its spaces.
    EXPECT_EQ(Arquivo("atendentes.txt"), ParaCp1252("João; 12 \r\nAna;9\r\n"));
    EXPECT_EQ(Registrados(),
              (Linhas{"Exportando atendente ->  João ", "Exportando atendente -> Ana"}));
}

// A null the order system's schema allows is an empty field or 0, never
// the end of the file.
TEST_F(Catalogo, NuloViraCampoVazioOuZeroENaoCortaOArquivo) {
    Executa("Insert into Vendedores (nome, senha, tipo) values ('Bia',NULL,'GARCON'),('Caio','3','GARCON')");
    ExportaAtendentes(t.ctx, t.pastaComandas());
    EXPECT_EQ(Arquivo("atendentes.txt"), ParaCp1252("João; 12 \r\nAna;9\r\nBia;\r\nCaio;3\r\n"));
    Executa("Insert into observacoes (idobs, codigo, descricao, valor) values (4,12,NULL,NULL)");
    ExportaObs(t.ctx, t.pastaComandas());
    EXPECT_EQ(Arquivo("cadobs.txt").substr(Arquivo("cadobs.txt").rfind("4;")), "4;12;;0\r\n");
    Executa("Insert into cadcomanda (Numero, status) values (1,1),(2,1)");
    // A site's schema may allow what ours does not.
    Executa("Alter table Comanda modify Status int null");
    Executa("Insert into Comanda (Comanda, Status) values (1,NULL)");
    ExportaComandas(t.ctx, t.pastaComandas());
    EXPECT_EQ(Arquivo("Comandas.txt"), "1\r\n2\r\n");
}

TEST_F(Catalogo, ComandasBloqueiaAsQueEsperamRecebimento) {
    Executa("Insert into cadcomanda (Numero, status) values (1,1),(2,1),(3,1),(4,0),(12,1)");
    Executa("Insert into Comanda (Comanda, Status) values (2,1),(3,0),(12,2)");
    // No BloquearReceb row counts as 1.
    ExportaComandas(t.ctx, t.pastaComandas());
    EXPECT_EQ(Arquivo("Comandas.txt"), "1\r\n3\r\n");
    EXPECT_EQ(Registrados(), (Linhas{"Exportando comandas -> 1", "Exportando comandas -> 3"}));

    Executa("Insert into Config (Variavel, Valor) values ('BloquearReceb','0')");
    ExportaComandas(t.ctx, t.pastaComandas());
    EXPECT_EQ(Arquivo("Comandas.txt"), "1\r\n2\r\n3\r\n12\r\n");

    Executa("Update Config set Valor='1' where Variavel='BloquearReceb'");
    ExportaComandas(t.ctx, t.pastaComandas());
    EXPECT_EQ(Arquivo("Comandas.txt"), "1\r\n3\r\n");
}

TEST_F(Catalogo, ComandasPorPedidoAtucomDaVarredura) {
    Executa("Insert into cadcomanda (Numero, status) values (5,1)");
    t.ctx.procs.ExportaComandas = [this](const std::string& p) { ExportaComandas(t.ctx, p); };
    t.ctx.cfg.AutoImpressao = false;
    t.pedido("ATUCOM.txt", "");
    VarreDirs(t.ctx);
    EXPECT_EQ(t.arquivos.lista(t.pastaComandas()), Linhas{"Comandas.txt"});
    EXPECT_EQ(Arquivo("Comandas.txt"), "5\r\n");
}

TEST_F(Catalogo, QuantidadesDeTodosOsProdutosUmaLinhaDeRegistroPorProduto) {
    ExportaQtdes(t.ctx, t.pastaComandas());
    // Every product, active or not, ordered by group and description.
    EXPECT_EQ(Arquivo("cadqtde.txt"), ParaCp1252("13;Fatia\r\n10;Inteira\r\n10;Meia Porção\r\n15;Duplo\r\n"));
    EXPECT_EQ(Registrados(), (Linhas{
                                        "Exportando qtdes -> 13;Fatia",          // Bolo velho
                                        "Exportando qtdes -> 10;Meia Porção",    // Feijoada Ção
                                        "Exportando qtdes -> 10;Meia Porção",    // Suco: no rows
                                        "Exportando qtdes -> 10;Meia Porção",    // Água: no rows
                                        "Exportando qtdes -> 15;Duplo",          // Café
                                        "Exportando qtdes -> 15;Duplo",          // Sem grupo (99)
                                    }));
}

TEST_F(Catalogo, ObservacoesComPrecoDecimal) {
    ExportaObs(t.ctx, t.pastaComandas());
    EXPECT_EQ(Arquivo("cadobs.txt"), "2;10;Farofa extra;2.5\r\n1;10;Sem sal;0\r\n"
                                     "3;11;Sem a\xE7\xFA" "car;0.75\r\n");
    EXPECT_EQ(Registrados(),
              (Linhas{"Exportando obs -> 2;10;Farofa extra;2.5", "Exportando obs -> 1;10;Sem sal;0",
                      "Exportando obs -> 3;11;Sem açúcar;0.75"}));
}

TEST_F(Catalogo, ResultadoVazioDaArquivoVazio) {
    Executa("Delete from observacoes");
    t.arquivos.grava(t.comanda("cadobs.txt"), "velho\r\n");
    ExportaObs(t.ctx, t.pastaComandas());
    EXPECT_EQ(Arquivo("cadobs.txt"), "");
}

}  // namespace
}  // namespace varelo
