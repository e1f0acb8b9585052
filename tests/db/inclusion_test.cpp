// Item inclusion against the real server: the statements sent, the rows
// written, the event-list lines, the replies and the order of reply, wait
// and deletion of each outcome.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "app/encoding.h"
#include "app/errors.h"
#include "db/banco.h"
#include "export/consumption.h"
#include "transactions/inclusion.h"
#include "transactions/scan.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

using std::chrono::milliseconds;
using Linhas = std::vector<std::string>;
using namespace std::string_literals;

const std::string kSeparador = "-----------------------------";

class Inclusao : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        Executa("Insert into Grupos (idgrupo, nome, Impressora) values (1,'Pratos','cozinha'),"
                "(5,'Bolos','Etiqueta')");
        Executa("Insert into Produtos (codigo, descricao, descricao2, idgrupo, preco_v, Unidade, "
                "monitorado, tempopreparo) values "
                "(15,'Feijoada Ção',NULL,1,59.9,'PT',1,25),"
                "(40,'Bolo de Cenoura','Bolo Cenoura',5,9,'FT',0,NULL),"
                "(50,'Avulso','   ',NULL,3.5,'UN',NULL,0),"
                "(60,'Pão d\\'Alho',NULL,1,7,'UN',0,5)");
        Executa("Insert into Cadqtde (codigo, Descricao, Qtde) values (15,'Meia',0.5),(15,'3',1)");
        Executa("Insert into sequencias (seqcomanda) values (41)");
        t.banco.observaSql([this](const std::string& s) {
            if (gravando) sql.push_back(s);
        });
        t.relogio.define({2024, 3, 5, 9, 5, 7});
        // What the folder holds at each wait: tells reply, wait and deletion apart.
        t.relogio.aoEsperar([this](std::size_t) { nasEsperas.push_back(Pasta()); });
        t.ctx.ComandaAtual = 42;
        caminho = t.comanda("INCLUSAO42.txt");
    }

    void Executa(const std::string& s) {
        t.banco.AbreBanco(s);
        t.banco.FechaBanco();
    }

    // Writes the request (in Windows-1252) and handles it.
    void Inclui(const std::string& conteudoUtf8) {
        t.pedido("INCLUSAO42.txt", conteudoUtf8);
        InclueGravando();
    }
    void InclueGravando() {
        t.novosEventos();
        sql.clear();
        nasEsperas.clear();
        gravando = true;
        InclueItem(t.ctx, caminho);
        gravando = false;
    }

    // Which of the request and the two replies are in the folder.
    std::string Pasta() {
        std::string s;
        for (const char* nome : {"INCLUSAO42.txt", "okComanda42.txt", "erro42.txt"})
            if (t.arquivos.podeLer(t.comanda(nome))) s += std::string(s.empty() ? "" : " ") + nome;
        return s;
    }

    Linhas Itens() {
        return t.consulta(
            "Select concat_ws('|', Comanda, idProduto, qtde, valor, desconto, Unidade, Obs, Lancado, "
            "Status, Descricao2, Tempopreparo, Etiqueta, DataHora, impresso) as l from ItemComanda "
            "order by idlanc",
            "l");
    }
    Linhas Comandas() {
        return t.consulta(
            "Select concat_ws('|', Comanda, idpedido, idCliente, Garcon, Ocupantes, Desconto, Inicio, "
            "ifnull(Final,'nulo'), Valor, ValorPG, Couvert, Servico, Mesa, Status) as l from Comanda "
            "order by Comanda",
            "l");
    }
    Linhas Logs() {
        return t.consulta("Select concat_ws('|', log, DataHora, Usuario, Tipo) as l from Logs order by idlog",
                          "l");
    }
    std::string Sequencia() { return t.consulta("Select seqcomanda from sequencias", "seqcomanda").at(0); }

    // Nothing of the request is left in the database, and it was answered
    // with an error and removed.
    void NadaGravadoErroRespondido(const std::string& contexto) {
        SCOPED_TRACE(contexto);
        EXPECT_EQ(Itens(), Linhas{});
        EXPECT_EQ(Comandas(), Linhas{});
        EXPECT_EQ(Logs(), Linhas{});
        EXPECT_EQ(Sequencia(), "41");
        EXPECT_EQ(Pasta(), "erro42.txt");
        EXPECT_EQ(t.arquivos.le(t.comanda("erro42.txt")), "erro\r\n");
    }

    ContextoTeste t;
    std::string caminho;
    bool gravando = false;
    Linhas sql;
    Linhas nasEsperas;
};

TEST_F(Inclusao, QuantidadeNomeadaEmComandaNovaGravaTudoNumaSoVez) {
    Inclui("15;Meia;42;'sem sal; açúcar à parte';7;Ana;;0");

    EXPECT_EQ(sql, (Linhas{
        "Select * from cadqtde where codigo=15 and Descricao='Meia'",
        "Select * from Produtos where codigo=15",
        "Select Impressora from Grupos where idgrupo=1",
        "Insert into ItemComanda (Comanda, idProduto, qtde, valor, desconto, Unidade, Obs, Lancado, "
        "Status, Descricao2, Tempopreparo, Etiqueta,  DataHora) VALUES (42,15,0.5,59.9,0,'PT',"
        "'sem sal; açúcar à parte','Ana','PREPARANDO','Feijoada Ção',25,True,'2024/03/05 09:05')",
        "Select Count(*) as TotCom from Comanda where Comanda = 42",
        "Select max(seqcomanda) as Proximo from sequencias for update",
        "Insert into Comanda (idpedido, idCliente, Garcon, Comanda, Ocupantes, Desconto, Inicio, "
        "Final , Valor, ValorPG, Couvert, Servico, Mesa) VALUES (42,0,'Ana',42,1,-1,"
        "'2024/03/05 09:05',Null,59.9,0,-1,-1,7)",
        "Update sequencias set seqcomanda=42",
        "Update Comanda set Mesa=7 where comanda = 42",
        "Insert into Logs (log, DataHora, Usuario, Tipo) VALUES ('PALM Incluido item: Feijoada Ção',"
        "'2024/03/05 09:05:07','Ana','OPERACAO')",
    }));
    EXPECT_EQ(t.novosEventos(), (Linhas{"incluindo " + caminho, "Lancando item na comanda 42",
                                        "Limpando " + caminho, "Esperando 1s antes de apagar inclusão!",
                                        "Tentando apagar " + caminho, kSeparador}));
    EXPECT_EQ(Itens(), Linhas{"42|15|0.5000|59.9000|0.0000|PT|sem sal; açúcar à parte|Ana|PREPARANDO|"
                              "Feijoada Ção|25|1|2024-03-05 09:05:00|0"});
    EXPECT_EQ(Comandas(), Linhas{"42|42|0|Ana|1|-1.0000|2024-03-05 09:05:00|nulo|59.9000|0.0000|"
                                 "-1.0000|-1.0000|7|0"});
    EXPECT_EQ(Sequencia(), "42");
    EXPECT_EQ(Logs(), Linhas{"PALM Incluido item: Feijoada Ção|2024-03-05 09:05:07|Ana|OPERACAO"});
    // Committed, then the half-second wait with the request still there,
    // then the deletion and the reply.
    EXPECT_EQ(nasEsperas, Linhas{"INCLUSAO42.txt"});
    EXPECT_EQ(t.relogio.esperas(), std::vector<milliseconds>{milliseconds(500)});
    EXPECT_EQ(Pasta(), "okComanda42.txt");
    EXPECT_EQ(t.arquivos.le(t.comanda("okComanda42.txt")), "ok\r\n");
}

TEST_F(Inclusao, QuantidadeNumericaPrecoDoPalmEComandaExistente) {
    Executa("Insert into Comanda (Comanda, idpedido, Garcon, Mesa) values (42, 9, 'Rui', 3)");
    Inclui("15;1,5;42;;8;;;12.50");

    EXPECT_EQ(t.novosEventos(),
              (Linhas{"incluindo " + caminho, "Não foi encontrada a quantidade", "Lancando quantidade 1,5",
                      "Lancando item na comanda 42", "Limpando " + caminho,
                      "Esperando 1s antes de apagar inclusão!", "Tentando apagar " + caminho, kSeparador}));
    ASSERT_EQ(sql.size(), 7u);
    EXPECT_EQ(sql[3].substr(sql[3].find(" VALUES (")),
              " VALUES (42,15,1.5,12.5,0,'PT','','Palm','PREPARANDO','Feijoada Ção',25,True,'2024/03/05 09:05')");
    EXPECT_EQ(sql[4], "Select Count(*) as TotCom from Comanda where Comanda = 42");
    EXPECT_EQ(sql[5], "Update Comanda set Mesa=8 where comanda = 42");
    EXPECT_EQ(sql[6].substr(0, 12), "Insert into ");
    EXPECT_EQ(Itens(), Linhas{"42|15|1.5000|12.5000|0.0000|PT||Palm|PREPARANDO|Feijoada Ção|25|1|"
                              "2024-03-05 09:05:00|0"});
    // Only the table changes on an existing comanda; the counter is untouched.
    EXPECT_EQ(t.consulta("Select concat_ws('|', idpedido, Garcon, Mesa) as l from Comanda", "l"),
              Linhas{"9|Rui|8"});
    EXPECT_EQ(Sequencia(), "41");
    EXPECT_EQ(Logs(), Linhas{"PALM Incluido item: Feijoada Ção|2024-03-05 09:05:07|Palm|OPERACAO"});
    EXPECT_EQ(Pasta(), "okComanda42.txt");
}

TEST_F(Inclusao, QuantidadeNomeadaValeMesmoParecendoNumeroEPrecoZeroUsaODoProduto) {
    Inclui("15;3;42;;7;;;0");
    EXPECT_EQ(t.consulta("Select concat(qtde,'/',valor) as l from ItemComanda", "l"),
              Linhas{"1.0000/59.9000"});
    Inclui("15;2;42;;7;;;-1");
    EXPECT_EQ(t.consulta("Select concat(qtde,'/',valor) as l from ItemComanda order by idlanc", "l"),
              (Linhas{"1.0000/59.9000", "2.0000/59.9000"}));
    EXPECT_EQ(Sequencia(), "42");
}

TEST_F(Inclusao, QuantidadeInvalidaRespondeDepoisDaEsperaENaoGravaNada) {
    for (const std::string q : {"0", "-2", "0,00001"}) {
        Inclui("15;" + q + ";42;;7;;;0");
        SCOPED_TRACE(q);
        EXPECT_EQ(sql, Linhas{"Select * from cadqtde where codigo=15 and Descricao='" + q + "'"});
        EXPECT_EQ(t.novosEventos(), (Linhas{"incluindo " + caminho, "Não foi encontrada a quantidade",
                                            "Quantidade inválida", "Limpando " + caminho,
                                            "Tentando apagar " + caminho, kSeparador}));
        EXPECT_EQ(nasEsperas, Linhas{"INCLUSAO42.txt"});
        NadaGravadoErroRespondido(q);
        t.arquivos.apaga(t.comanda("erro42.txt"));
    }
}

TEST_F(Inclusao, CodigoInvalidoRespondeAntesDaEsperaSemIrAoBanco) {
    // "1x" and "15 " passed the old leading-number test and went bare into the statements.
    for (const std::string codigo : {"0", "abc", "1x", "15 ", "-0.0", "1.5.2", "15 or 1=1"}) {
        Inclui(codigo + ";1;42;;7;;;0");
        SCOPED_TRACE(codigo);
        EXPECT_EQ(sql, Linhas{});
        EXPECT_EQ(t.novosEventos(), (Linhas{"incluindo " + caminho, "Código inválido", "Limpando " + caminho,
                                            "Tentando apagar " + caminho, kSeparador}));
        EXPECT_EQ(nasEsperas, Linhas{"INCLUSAO42.txt erro42.txt"});
        NadaGravadoErroRespondido(codigo);
        t.arquivos.apaga(t.comanda("erro42.txt"));
    }
    Inclui(";1;42");
    EXPECT_EQ(t.novosEventos().at(1), "Código inválido");
}

TEST_F(Inclusao, ProdutoDesconhecidoApagaDepoisDaEsperaEResponde) {
    Inclui("99;1;42;;7;;;0");
    EXPECT_EQ(sql, (Linhas{"Select * from cadqtde where codigo=99 and Descricao='1'",
                           "Select * from Produtos where codigo=99"}));
    EXPECT_EQ(t.novosEventos(),
              (Linhas{"incluindo " + caminho, "Não foi encontrada a quantidade", "Lancando quantidade 1",
                      "Não foi encontrado o produto indicado no palm", "Limpando " + caminho,
                      "Tentando apagar " + caminho, kSeparador}));
    EXPECT_EQ(nasEsperas, Linhas{"INCLUSAO42.txt"});
    NadaGravadoErroRespondido("produto 99");
}

TEST_F(Inclusao, ArquivoIlegivelCustaCincoTentativas) {
    t.pedido("INCLUSAO42.txt", "");
    InclueGravando();
    EXPECT_EQ(t.novosEventos(), (Linhas{"incluindo " + caminho, "Nao consegui ler conteudo do arquivo",
                                        "Tentando apagar " + caminho, kSeparador}));
    EXPECT_EQ(t.relogio.esperas(), std::vector<milliseconds>(5, milliseconds(1000)));
    EXPECT_EQ(sql, Linhas{});
    NadaGravadoErroRespondido("vazio");
}

TEST_F(Inclusao, MesaVaziaAbreComanda999) {
    t.ctx.ComandaAtual = 43;
    t.pedido("INCLUSAO42.txt", "15;Meia;43;;;Ana;;0");
    InclueGravando();
    ASSERT_EQ(sql.size(), 10u);
    EXPECT_TRUE(sql[6].ends_with("',Null,59.9,0,-1,-1,999)")) << sql[6];
    EXPECT_EQ(sql[8], "Update Comanda set Mesa=999 where comanda = 43");
    EXPECT_EQ(t.consulta("Select concat(Comanda,'/',Mesa,'/',idpedido) as l from Comanda", "l"),
              Linhas{"43/999/42"});
    EXPECT_TRUE(t.arquivos.podeLer(t.comanda("okComanda43.txt")));
}

TEST_F(Inclusao, GrupoEtiquetaProdutoSemGrupoEDescricao2EmBranco) {
    Inclui("40;1;42;;7;;;0");
    EXPECT_EQ(sql[2], "Select Impressora from Grupos where idgrupo=5");
    EXPECT_NE(sql[3].find(",'FT','','Palm','NÃO MONITORADO','Bolo Cenoura',0,False,'"), std::string::npos)
        << sql[3];

    // No group: no printer lookup, "Não Imprimir" counts as any other printer.
    Inclui("50;1;42;;7;;;0");
    EXPECT_EQ(sql[1], "Select * from Produtos where codigo=50");
    EXPECT_EQ(sql[2].substr(0, 25), "Insert into ItemComanda (");
    EXPECT_NE(sql[2].find(",'UN','','Palm','NÃO MONITORADO','Avulso',0,True,'"), std::string::npos) << sql[2];

    EXPECT_EQ(t.consulta("Select concat(idProduto,'/',Etiqueta,'/',Status,'/',Descricao2) as l "
                         "from ItemComanda order by idlanc", "l"),
              (Linhas{"40/0/NÃO MONITORADO/Bolo Cenoura", "50/1/NÃO MONITORADO/Avulso"}));
}

TEST_F(Inclusao, ApostrofosEAcentosChegamComoDigitados) {
    Inclui("60;1;42;'pão d'água';7;'D'Ávila';;0");
    EXPECT_EQ(t.consulta("Select concat_ws('|', Obs, Lancado, Descricao2) as l from ItemComanda", "l"),
              Linhas{"pão d'água|D'Ávila|Pão d'Alho"});
    EXPECT_EQ(t.consulta("Select Garcon from Comanda", "Garcon"), Linhas{"D'Ávila"});
    EXPECT_EQ(Logs(), Linhas{"PALM Incluido item: Pão d'Alho|2024-03-05 09:05:07|D'Ávila|OPERACAO"});
    EXPECT_NE(sql[3].find(",'pão d\\'água','D\\'Ávila','NÃO MONITORADO','Pão d\\'Alho',5,"), std::string::npos)
        << sql[3];
    // The request was Windows-1252 on disk.
    EXPECT_EQ(Pasta(), "okComanda42.txt");
}

TEST_F(Inclusao, CamposNuncaVaoCruzParaOComando) {
    struct Caso {
        std::string linha, erro;
    };
    const std::vector<Caso> casos = {
        {"15;Meia;42 or 1=1;;7;;;0", "Número de comanda inválido: 42 or 1=1"},
        {"15;Meia;;;7;;;0", "Número de comanda inválido: "},
        {"15;Meia;4.2;;7;;;0", "Número de comanda inválido: 4.2"},
        {"15;Meia;99999999999;;7;;;0", "Número de comanda inválido: 99999999999"},
        {"15;Meia;42;;7) or (1=1;;;0", "Número de mesa inválido: 7) or (1=1"},
        {"15;Meia;42;;x;;;0", "Número de mesa inválido: x"},
        {"15;Meia;42;;7,5;;;0", "Número de mesa inválido: 7,5"},
    };
    for (const Caso& c : casos) {
        Inclui(c.linha);
        SCOPED_TRACE(c.linha);
        EXPECT_EQ(t.novosEventos(),
                  (Linhas{"incluindo " + caminho, c.erro, "Tentando apagar " + caminho, kSeparador}));
        EXPECT_TRUE(std::none_of(sql.begin(), sql.end(),
                                 [](const std::string& s) { return s.rfind("Insert", 0) == 0; }));
        EXPECT_EQ(nasEsperas, Linhas{});
        NadaGravadoErroRespondido(c.linha);
        t.arquivos.apaga(t.comanda("erro42.txt"));
    }
}

TEST_F(Inclusao, PedidosMalFormadosRespondemErroSaemDaPastaENaoDeixamNada) {
    const std::string longa(5000, 'x');
    const std::string obs300(300, 'o');
    struct Caso {
        std::string bytes, erro;
    };
    const std::vector<Caso> casos = {
        {"15;1;42;;7;;;0;9", "Subscrito fora do intervalo"},
        {"15;1;42;'sem fim;7;;;0", ""},
        {"15;muito;42;;7;;;0", "Tipo incompatível"},
        {"15;1;42;;7;;;", "Tipo incompatível"},
        {"15;1;42;;7;;;12,5,0", "Tipo incompatível"},
        {"15;Meia;42;" + longa + ";7;;;0", "Linha longa demais: 5017 caracteres"},
        {"15;Meia;42;" + obs300 + ";7;;;0", "Texto longo demais para a observação: 300 caracteres (máximo 255)"},
        {"15;Meia;42;;7;" + std::string(61, 'a') + ";;0", "Texto longo demais para o atendente: 61 caracteres (máximo 60)"},
        {"15;100000000000;42;;7;;;0", "Quantidade fora do intervalo: 100000000000"},
        {"15;Meia;42;;7;;;100000000000", "Preço fora do intervalo: 100000000000"},
        {"15;1;42;a\0b;7;;;0"s, "Conteúdo do arquivo não é texto"},
        {"15;1;42;\x81\x90;7;;;0", "Conteúdo do arquivo não é texto"},
        {"\x7f\x45\x4c\x46\x02\x01\x01", "Conteúdo do arquivo não é texto"},
    };
    for (const Caso& c : casos) {
        t.arquivos.grava(caminho, c.bytes);  // raw bytes, as a handheld left them
        InclueGravando();
        SCOPED_TRACE(c.bytes.substr(0, 40));
        const Linhas eventos = t.novosEventos();
        ASSERT_GE(eventos.size(), 4u);
        EXPECT_EQ(eventos.front(), "incluindo " + caminho);
        if (!c.erro.empty()) {
            EXPECT_EQ(eventos[eventos.size() - 3], c.erro);
        } else {
            EXPECT_EQ(eventos[1].rfind("Apóstrofo sem fechamento", 0), 0u) << eventos[1];
        }
        EXPECT_EQ(eventos[eventos.size() - 2], "Tentando apagar " + caminho);
        EXPECT_EQ(eventos.back(), kSeparador);
        NadaGravadoErroRespondido(c.erro);
        t.arquivos.apaga(t.comanda("erro42.txt"));
    }
}

TEST_F(Inclusao, FalhaDoBancoNoMeioNaoDeixaNadaEASegundaVezIncluiUmaVez) {
    // The Logs row is the last statement: everything before it is undone.
    Executa("Rename table Logs to Logs_fora");
    t.pedido("INCLUSAO42.txt", "15;Meia;42;;7;Ana;;0");
    t.novosEventos();
    EXPECT_THROW(InclueItem(t.ctx, caminho), ErroBanco);
    t.banco.abandona();  // what the handler of the tick does
    const Linhas eventos = t.novosEventos();
    ASSERT_EQ(eventos.size(), 4u);
    EXPECT_EQ(eventos[2].rfind("Erro abrindo banco: 1146 - ", 0), 0u) << eventos[2];
    EXPECT_NE(eventos[2].find("Insert into Logs (log, DataHora, Usuario, Tipo) VALUES ("), std::string::npos);
    EXPECT_EQ(eventos[3], "Erro no banco de dados, reiniciando programa em 10 segundos");
    EXPECT_EQ(Itens(), Linhas{});
    EXPECT_EQ(Comandas(), Linhas{});
    EXPECT_EQ(Sequencia(), "41");
    EXPECT_EQ(Pasta(), "INCLUSAO42.txt");  // no reply; the request waits for the next scan

    Executa("Rename table Logs_fora to Logs");
    InclueGravando();
    EXPECT_EQ(Itens().size(), 1u);
    EXPECT_EQ(t.consulta("Select concat(Comanda,'/',idpedido,'/',Mesa) as l from Comanda", "l"),
              Linhas{"42/42/7"});
    EXPECT_EQ(Sequencia(), "42");
    EXPECT_EQ(Logs().size(), 1u);
    EXPECT_EQ(Pasta(), "okComanda42.txt");
}

TEST_F(Inclusao, PelaVarreduraRespondeEExportaOExtrato) {
    t.ctx.procs.InclueItem = [this](const std::string& c) { InclueItem(t.ctx, c); };
    t.ctx.procs.ExportaConsumos = [this](const std::string& p, const std::string& n) {
        ExportaConsumos(t.ctx, p, n);
    };
    t.ctx.cfg.AutoImpressao = false;
    t.pedido("INCLUSAO42.txt", "15;Meia;42;;7;Ana;;0");
    t.pedido("inclusao43.txt", "15;1;43;;8;Ana;;0");
    VarreDirs(t.ctx);
    EXPECT_EQ(t.arquivos.lista(t.pastaComandas()),
              (Linhas{"ConsumoComanda42.txt", "ConsumoComanda43.txt", "okComanda42.txt", "okComanda43.txt"}));
    EXPECT_EQ(t.arquivos.le(t.comanda("ConsumoComanda42.txt")).substr(0, 29),
              ParaCp1252("01 Feijoada Ção 59,90 29,95\r\n"));
    EXPECT_EQ(t.consulta("Select concat(Comanda,'/',idpedido) as l from Comanda order by Comanda", "l"),
              (Linhas{"42/42", "43/43"}));
    EXPECT_EQ(Sequencia(), "43");
}

}  // namespace
}  // namespace varelo

namespace varelo {
namespace {

// A request whose item is committed but whose file outlives the inclusion.
TEST_F(Inclusao, ArquivoQueFicaNaoLancaOItemDuasVezes) {
    t.pedido("INCLUSAO42.txt", "15;Meia;42;;7;Ana;;0");
    t.arquivos.falhasApaga = 1000;  // the file stays, as when the program dies before deleting it
    InclueItem(t.ctx, caminho);
    ASSERT_EQ(Itens().size(), 1u);
    ASSERT_TRUE(t.arquivos.podeLer(caminho));

    t.arquivos.falhasApaga = 0;
    InclueGravando();
    EXPECT_EQ(Itens().size(), 1u);
    const auto eventos = t.novosEventos();
    EXPECT_NE(std::find(eventos.begin(), eventos.end(), "Item já lançado antes de uma interrupção: " + caminho),
              eventos.end());
    EXPECT_FALSE(t.arquivos.podeLer(caminho));
    EXPECT_EQ(t.arquivos.le(t.comanda("okComanda42.txt")), "ok\r\n");

    // The same order sent again afterwards is a new item.
    Inclui("15;Meia;42;;7;Ana;;0");
    EXPECT_EQ(Itens().size(), 2u);
}

// The scan's own retry removes the file that the inclusion could not: the
// note goes with it, so the same order sent again is applied.
TEST_F(Inclusao, NotaSaiComOArquivoApagadoPelaVarredura) {
    t.ctx.procs.InclueItem = [this](const std::string& c) { InclueItem(t.ctx, c); };
    t.pedido("INCLUSAO42.txt", "15;Meia;42;;7;Ana;;0");
    t.arquivos.falhasApaga = 1;  // the inclusion's deletion fails (no list of open files)
    VarreDirs(t.ctx);
    ASSERT_FALSE(t.arquivos.podeLer(caminho));
    ASSERT_EQ(Itens().size(), 1u);

    t.pedido("INCLUSAO42.txt", "15;Meia;42;;7;Ana;;0");
    VarreDirs(t.ctx);
    EXPECT_EQ(Itens().size(), 2u);
}

}  // namespace
}  // namespace varelo
