// Item inclusion against the real server: the statements sent, the rows
// written, the event-list lines, the replies and the order of reply, wait
// and deletion of each outcome.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "base/errors.h"
#include "tests/support/test_context.h"
#include "transactions/inclusion.h"
#include "transactions/scan.h"

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
        t.ctx.varredura.ComandaAtual = 42;
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

    // The event-list lines of one request: `meio` between the first line
    // and the deletion.
    Linhas Eventos(Linhas meio) {
        meio.insert(meio.begin(), "incluindo " + caminho);
        meio.insert(meio.end(), {"Tentando apagar " + caminho, kSeparador});
        return meio;
    }

    // Which of the request and the two replies are in the folder.
    std::string Pasta() {
        std::string s;
        for (const char* nome : {"INCLUSAO42.txt", "okComanda42.txt", "erro42.txt"})
            if (t.arquivos.podeLer(t.comanda(nome))) s += std::string(s.empty() ? "" : " ") + nome;
        return s;
    }

    // Items, comandas, log rows and the last order number.
    std::string Contagens() {
        return t.consulta("Select concat_ws('|', (Select count(*) from ItemComanda), (Select count(*) from "
                          "Comanda), (Select count(*) from Logs), (Select seqcomanda from sequencias)) as l",
                          "l").at(0);
    }

    // Nothing of the request is left in the database, it was answered with
    // an error and removed; the reply is then cleared for the next case.
    void NadaGravadoErroRespondido() {
        EXPECT_EQ(Contagens(), "0|0|0|41");
        EXPECT_EQ(Pasta(), "erro42.txt");
        EXPECT_EQ(t.arquivos.le(t.comanda("erro42.txt")), "erro\r\n");
        t.arquivos.apaga(t.comanda("erro42.txt"));
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
        "Select LAST_INSERT_ID() as idlanc",
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
    EXPECT_EQ(t.novosEventos(), Eventos({"Lancando item na comanda 42", "Limpando " + caminho,
                                         "Esperando 1s antes de apagar inclusão!"}));
    // The rows are these statements, committed together.
    EXPECT_EQ(Contagens(), "1|1|1|42");
    // Committed, then the half-second wait with the request still there,
    // then the deletion and the reply.
    EXPECT_EQ(nasEsperas, Linhas{"INCLUSAO42.txt"});
    EXPECT_EQ(t.relogio.esperas(), std::vector<milliseconds>{milliseconds(500)});
    EXPECT_EQ(Pasta(), "okComanda42.txt");
    EXPECT_EQ(t.arquivos.le(t.comanda("okComanda42.txt")), "ok\r\n");
}

TEST_F(Inclusao, QuantidadeEPrecoEmComandaExistente) {
    Executa("Insert into Comanda (Comanda, idpedido, Garcon, Mesa) values (42, 9, 'Rui', 3)");
    // A named quantity wins even when it reads as a number. The handheld's
    // price has a decimal point; 0 or less takes the product's.
    for (const auto& [qtde, preco] : std::vector<std::pair<std::string, std::string>>{
             {"1,5", "12.50"}, {"3", "0"}, {"2", "-1"}})
        Inclui("15;" + qtde + ";42;;8;;;" + preco);
    EXPECT_EQ(t.consulta("Select concat_ws('|', qtde, valor, Obs, Lancado) as l from ItemComanda order by idlanc",
                         "l"),
              (Linhas{"1.5000|12.5000||Palm", "1.0000|59.9000||Palm", "2.0000|59.9000||Palm"}));
    // An existing comanda only gets its table: no Comanda row, no order number.
    EXPECT_EQ(t.consulta("Select concat_ws('|', idpedido, Garcon, Mesa) as l from Comanda", "l"),
              Linhas{"9|Rui|8"});
    EXPECT_EQ(Contagens(), "3|1|3|41");
}

// The three refusals of a well-formed request, each with its own order of
// reply, wait and deletion: what the folder holds during the wait tells
// them apart.
TEST_F(Inclusao, RecusasRespondemErroENaoGravamNada) {
    struct Caso {
        std::string linha;
        Linhas sql, eventos;
        std::string naEspera;
    };
    std::vector<Caso> casos;
    for (const std::string q : {"0", "-2", "0,00001"})
        casos.push_back({"15;" + q + ";42;;7;;;0", {"Select * from cadqtde where codigo=15 and Descricao='" + q + "'"},
                         {"Não foi encontrada a quantidade", "Quantidade inválida"}, "INCLUSAO42.txt"});
    // Answered before the wait, without the database. "1x" passed the old
    // leading-number test and went bare into the statements.
    for (const std::string codigo : {"", "0", "abc", "1x", "-0.0", "1.5.2", "15 or 1=1"})
        casos.push_back({codigo + ";1;42;;7;;;0", {}, {"Código inválido"}, "INCLUSAO42.txt erro42.txt"});
    casos.push_back({"99;1;42;;7;;;0",
                     {"Select * from cadqtde where codigo=99 and Descricao='1'", "Select * from Produtos where codigo=99"},
                     {"Não foi encontrada a quantidade", "Lancando quantidade 1",
                      "Não foi encontrado o produto indicado no palm"},
                     "INCLUSAO42.txt"});
    for (Caso& c : casos) {
        Inclui(c.linha);
        SCOPED_TRACE(c.linha);
        EXPECT_EQ(sql, c.sql);
        c.eventos.push_back("Limpando " + caminho);
        EXPECT_EQ(t.novosEventos(), Eventos(c.eventos));
        EXPECT_EQ(nasEsperas, Linhas{c.naEspera});
        NadaGravadoErroRespondido();
    }
}

// Refused when read, parsed or checked against what goes bare into the
// statements and what the columns hold: nothing inserted, no wait, erro
// and the file gone. A request left to fail on the server would stay in
// the folder and stop the monitor on it at every scan.
TEST_F(Inclusao, PedidosIlegiveisOuMalFormadosNaoGravamNada) {
    const std::string q = "Não foi encontrada a quantidade";
    const std::vector<std::pair<std::string, Linhas>> casos = {
        {"", {"Nao consegui ler conteudo do arquivo"}},
        {"15;Meia;42 or 1=1;;7;;;0", {"Número de comanda inválido: 42 or 1=1"}},
        {"15;Meia;;;7;;;0", {"Número de comanda inválido: "}},
        {"15;Meia;4.2;;7;;;0", {"Número de comanda inválido: 4.2"}},
        {"15;Meia;99999999999;;7;;;0", {"Número de comanda inválido: 99999999999"}},
        {"15;Meia;42;;7) or (1=1;;;0", {"Número de mesa inválido: 7) or (1=1"}},
        {"15;Meia;42;;7,5;;;0", {"Número de mesa inválido: 7,5"}},
        {"15;1;42;;7;;;0;9", {"Subscrito fora do intervalo"}},
        {"15;1;42;'sem fim;7;;;0", {"Apóstrofo sem fechamento no campo 3 da linha: 15;1;42;'sem fim;7;;;0"}},
        {"15;muito;42;;7;;;0", {q, "Tipo incompatível"}},
        // The named-quantity lookup quotes the text.
        {"15;'M'a';42;;7;;;0", {q, "Tipo incompatível"}},
        {"15;Meia;42;;7;;;", {"Tipo incompatível"}},
        {"15;Meia;42;;7;;;12,5,0", {"Tipo incompatível"}},
        {"15;Meia;42;" + std::string(5000, 'x') + ";7;;;0", {"Linha longa demais: 5017 caracteres"}},
        {"15;100000000000;42;;7;;;0",
         {q, "Lancando quantidade 100000000000", "Quantidade fora do intervalo: 100000000000"}},
        {"15;Meia;42;;7;;;100000000000", {"Preço fora do intervalo: 100000000000"}},
        {"15;1;42;a\0b;7;;;0"s, {"Conteúdo do arquivo não é texto"}},
        {"15;1;42;\x81\x90;7;;;0", {"Conteúdo do arquivo não é texto"}},
        {"15;1;42;a\x7f;7;;;0", {"Conteúdo do arquivo não é texto"}},
        {"\x7f\x45\x4c\x46\x02\x01\x01", {"Conteúdo do arquivo não é texto"}},
    };
    for (const auto& [bytes, erro] : casos) {
        t.arquivos.grava(caminho, bytes);  // raw bytes, as a handheld left them
        InclueGravando();
        SCOPED_TRACE(bytes.substr(0, 40));
        EXPECT_EQ(t.novosEventos(), Eventos(erro));
        EXPECT_TRUE(std::none_of(sql.begin(), sql.end(),
                                 [](const std::string& s) { return s.rfind("Insert", 0) == 0; }));
        NadaGravadoErroRespondido();
    }
    // Only the empty file waited: five reads, a second apart.
    EXPECT_EQ(t.relogio.esperas(), std::vector<milliseconds>(5, milliseconds(1000)));
}

// The product's group decides the label flag (no group: no printer lookup,
// "Não Imprimir" counts as any other printer); a blank descricao2 takes the
// description; an empty table opens the comanda on table 999.
TEST_F(Inclusao, GrupoDoProdutoDescricao2EmBrancoEMesaVazia) {
    Inclui("40;1;42;;;;;0");
    EXPECT_EQ(sql[2], "Select Impressora from Grupos where idgrupo=5");
    EXPECT_NE(sql[3].find(",'FT','','Palm','NÃO MONITORADO','Bolo Cenoura',0,False,'"), std::string::npos)
        << sql[3];
    ASSERT_EQ(sql.size(), 11u);
    EXPECT_TRUE(sql[7].ends_with("',Null,9,0,-1,-1,999)")) << sql[7];
    EXPECT_EQ(t.consulta("Select concat(Comanda,'/',Mesa,'/',idpedido) as l from Comanda", "l"),
              Linhas{"42/999/42"});

    Inclui("50;1;42;;7;;;0");
    ASSERT_EQ(sql.size(), 7u);
    EXPECT_NE(sql[2].find(",'UN','','Palm','NÃO MONITORADO','Avulso',0,True,'"), std::string::npos) << sql[2];
}

TEST_F(Inclusao, ApostrofosBarrasEAcentosChegamComoDigitados) {
    Inclui("60;1;42;'pão d'água \\';7;'D'Ávila';;0");
    EXPECT_EQ(t.consulta("Select concat_ws('|', Obs, Lancado, Descricao2) as l from ItemComanda", "l"),
              Linhas{"pão d'água \\|D'Ávila|Pão d'Alho"});
    EXPECT_EQ(t.consulta("Select Garcon from Comanda", "Garcon"), Linhas{"D'Ávila"});
    EXPECT_EQ(t.consulta("Select concat_ws('|', log, Usuario) as l from Logs", "l"),
              Linhas{"PALM Incluido item: Pão d'Alho|D'Ávila"});
    // The request was Windows-1252 on disk.
    EXPECT_EQ(Pasta(), "okComanda42.txt");
}

// Bare numbers with spaces around them are numbers, as the order system
// takes them; the texts' lengths are the site's columns' to judge.
TEST_F(Inclusao, NumerosComEspacosEntramETextoLongoDemaisERecusadoPeloServidor) {
    Inclui("15 ;Meia; 42 ; ;7 ;A1;;0");
    EXPECT_EQ(Contagens(), "1|1|1|42");
    EXPECT_EQ(t.consulta("Select concat_ws('|', Comanda, Mesa) as l from Comanda", "l"), Linhas{"42|7"});
    EXPECT_EQ(Pasta(), "okComanda42.txt");

    // What our test schema cannot hold the server refuses: a rejected
    // statement, rolled back, with the request left in the folder.
    t.pedido("INCLUSAO42.txt", "15;Meia;42;" + std::string(300, 'o') + ";7;;;0");
    try {
        InclueGravando();
        ADD_FAILURE() << "the server took a remark longer than its column";
    } catch (const ErroBanco& e) {
        EXPECT_FALSE(e.perdaDeConexao()) << e.estado();
    }
    t.banco.abandona();
    EXPECT_EQ(Contagens(), "1|1|1|42");
    EXPECT_TRUE(t.arquivos.podeLer(caminho));
}

// Requests whose items are committed but whose files outlive the inclusion
// (two at once here) are answered without a second item; each journal
// entry goes once its file is gone, so the same order sent again is a new
// item. An entry whose commit never happened is applied anew.
TEST_F(Inclusao, ArquivosQueFicamNaoLancamOItemDuasVezes) {
    const std::string outro = t.pedido("INCLUSAO43.txt", "15;Meia;43;;7;Ana;;0");
    t.pedido("INCLUSAO42.txt", "15;Meia;42;;7;Ana;;0");
    t.arquivos.falhasApaga = 1000;  // the files stay, as when the program dies before deleting them
    InclueItem(t.ctx, caminho);
    InclueItem(t.ctx, outro);
    ASSERT_EQ(Contagens(), "2|2|2|43");
    ASSERT_TRUE(t.arquivos.podeLer(caminho) && t.arquivos.podeLer(outro));

    t.arquivos.falhasApaga = 0;
    t.arquivos.apaga(t.comanda("okComanda42.txt"));
    InclueGravando();
    InclueItem(t.ctx, outro);
    EXPECT_EQ(Contagens(), "2|2|2|43");
    EXPECT_EQ(t.novosEventos(),
              (Linhas{"incluindo " + caminho, "Item já lançado antes de uma interrupção: " + caminho,
                      "Tentando apagar " + caminho, kSeparador, "incluindo " + outro,
                      "Item já lançado antes de uma interrupção: " + outro, "Tentando apagar " + outro,
                      kSeparador}));
    EXPECT_EQ(Pasta(), "okComanda42.txt");

    Inclui("15;Meia;42;;7;Ana;;0");
    EXPECT_EQ(Contagens(), "3|2|3|43");

    // The program stopped between the journal and the commit: the entry is
    // there, its item is not, so the request is applied.
    t.banco.defineGancho([](OperacaoBanco operacao, const std::string&) {
        if (operacao == OperacaoBanco::Confirmacao) throw ErroBanco(2013, "Lost connection", "08S01");
    });
    EXPECT_THROW(Inclui("15;Meia;42;;7;Ana;;0"), ErroBanco);
    t.banco.defineGancho({});
    t.banco.abandona();
    ASSERT_EQ(Contagens(), "3|2|3|43");
    InclueGravando();
    EXPECT_EQ(Contagens(), "4|2|4|43");

    // The scan's own retry removes the file that the inclusion could not
    // (no list of open files): the entry goes with it.
    t.ctx.procs.InclueItem = [this](const std::string& c) { InclueItem(t.ctx, c); };
    t.arquivos.falhasApaga = 1;
    t.pedido("INCLUSAO42.txt", "15;Meia;42;;7;Ana;;0\r\n");
    VarreDirs(t.ctx);
    ASSERT_FALSE(t.arquivos.podeLer(caminho));
    ASSERT_EQ(Contagens(), "5|2|5|43");
    t.pedido("INCLUSAO42.txt", "15;Meia;42;;7;Ana;;0\r\n");
    VarreDirs(t.ctx);
    EXPECT_EQ(Contagens(), "6|2|6|43");
}

}  // namespace
}  // namespace varelo
