// Automatic receipt: the statements, the history rows, the payment, the
// deletions, the Logs row and the freed card; a receipt is whole or absent.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "base/errors.h"
#include "checks/auto_receipt.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

using Linhas = std::vector<std::string>;

const std::string kImpressos =
    "Select * from itemcomanda where impresso=1 and comanda in (select comanda from comanda)";
const std::string kColunasItem =
    "INSERT INTO `mitemcomanda` (`idPedido`, `Comanda`, `idProduto`, `qtde`, `Valor`, `Custo`, "
    "`desconto`, `Unidade`, `OBS`, `idLanc`, `DataHora`, `DataHoraFim`, `Lancado`) VALUES   (";
const std::string kColunasComanda =
    "INSERT INTO `mcomanda` (`idPedido`, `idCliente`, `Garcon`, `Comanda`, `Ocupantes`, "
    "`Desconto`, `Inicio`, `Final`, `Valor`, `ValorPg`, `Couvert`, `Servico`, `Fechamento`, "
    "`idLanc`, `Status`, `PG`, `Obs`, `Mesa`, `Vendedor`, `Caixa`) VALUES  (";

class AutoRecebimento : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        t.relogio.define(DataHora{2024, 3, 5, 14, 7, 9});  // a Tuesday
        t.banco.observaSql([this](const std::string& s) { sqls.push_back(s); });
        Executa("Insert into cadcomanda (Numero, status, Ocupado) values (42, 1, 1), (43, 1, 1), (60, 1, 1)");
    }

    void Executa(const std::string& sql) {
        t.banco.AbreBanco(sql);
        t.banco.FechaBanco();
    }

    // Comanda 42 of table 7: 2 x 10.50 and 1 x 3, the first printed.
    void Comanda42(int impressoSegundo) {
        Executa("Insert into Comanda (Comanda, idpedido, idCliente, Garcon, Ocupantes, Desconto, "
                "Inicio, Mesa, Status, Fechando, Obs) values "
                "(42, 1001, 0, 'JOAO', 2, 0, '2024/03/05 12:30:15', 7, 1, 'S', Null)");
        Executa("Insert into ItemComanda (idlanc, Comanda, idProduto, qtde, valor, desconto, custo, "
                "Unidade, Obs, Lancado, DataHora, impresso) values "
                "(11, 42, 100, 2, 10.50, 0, 4.25, 'UN', 'sem sal', 'PALM1', '2024/03/05 12:40:00', 1),"
                "(12, 42, 200, 1, 3, 0, 1, 'UN', '', 'TABLET2', '2024/03/05 12:45:30', " +
                std::to_string(impressoSegundo) + ")");
    }

    void Verifica() {
        sqls.clear();
        VerificaRecebComanda(t.ctx);
    }

    // The rows of a query, each the columns named in `colunas` joined by "|".
    Linhas Tabela(const std::string& sql, const std::string& colunas) {
        Linhas linhas;
        Banco& b = t.banco;
        for (b.AbreBanco3(sql); !b.rs3().eof(); b.rs3().proximo()) {
            std::istringstream nomes(colunas);
            std::string l;
            for (std::string c; nomes >> c;) l += (l.empty() ? "" : "|") + b.rs3().campo(c).value_or("NULL");
            linhas.push_back(l);
        }
        b.FechaBanco3();
        return linhas;
    }

    // The row counts of the tables a receipt touches, and the cards still
    // occupied.
    std::string Estado() {
        std::string e;
        for (const std::string tabela : {"Comanda", "ItemComanda", "mcomanda", "mitemcomanda", "mPagamentos", "Logs"})
            e += tabela + "=" + t.consulta("Select count(*) as n from " + tabela, "n").at(0) + " ";
        e += "ocupadas:";
        for (const auto& n : t.consulta("Select Numero from cadcomanda where Ocupado order by Numero", "Numero"))
            e += " " + n;
        return e;
    }

    ContextoTeste t;
    Linhas sqls;
};

TEST_F(AutoRecebimento, ComandasImpressasVaoParaOHistoricoUmaPorVerificacao) {
    // A printed item of a comanda that is gone must not hold back the others.
    Executa("Insert into ItemComanda (idlanc, Comanda, idProduto, qtde, valor, impresso) values "
            "(1, 99, 100, 1, 5, 1)");
    Comanda42(0);
    Executa("Insert into Comanda (Comanda, idpedido, Garcon, Mesa) values (43, 1002, 'ANA', 3)");

    // An item still waiting for the kitchen holds the comanda back.
    Verifica();
    EXPECT_EQ(sqls, (Linhas{kImpressos, "Select * from itemcomanda where comanda=42 and impresso=0"}));
    EXPECT_TRUE(t.novosEventos().empty());
    EXPECT_TRUE(t.relogio.esperas().empty());
    EXPECT_EQ(Estado(), "Comanda=2 ItemComanda=3 mcomanda=0 mitemcomanda=0 mPagamentos=0 Logs=0 ocupadas: 42 43 60");

    Executa("Update ItemComanda set impresso=1 where idlanc=12");
    // Comanda 60: nulls in every column that takes one, and a quote in Obs.
    Executa("Insert into Comanda (Comanda, idpedido, idCliente, Garcon, Ocupantes, Desconto, "
            "Inicio, Mesa, Status, Fechando, Obs) values "
            "(60, Null, Null, Null, Null, Null, Null, Null, 0, 'N', 'Mesa do D''Ávila')");
    Executa("Insert into ItemComanda (idlanc, Comanda, idProduto, qtde, valor, desconto, custo, "
            "Unidade, Obs, Lancado, DataHora, impresso) values "
            "(31, 60, 100, 1, 2, 0, 0, 'UN', 'bem passado', 'PALM1', '2024/03/05 13:00:00', 1),"
            "(32, 60, 200, 0.5, 12.35, Null, Null, Null, Null, Null, Null, 1)");

    Verifica();
    EXPECT_EQ(sqls, (Linhas{
        kImpressos, "Select * from itemcomanda where comanda=42 and impresso=0",
        "Select * from Comanda where comanda=42 for update", "Select * from itemComanda where comanda=42 for update",
        kColunasItem + "1001,42,100,2,10.5,4.25,0,'UN','sem sal',11,'2024/03/05 12:40:00','2024/03/05 14:07','PALM1')",
        kColunasItem + "1001,42,200,1,3,1,0,'UN','',12,'2024/03/05 12:45:30','2024/03/05 14:07','TABLET2')",
        "Select * from Comanda where comanda=42",
        kColunasComanda + "1001,0,'JOAO',42,2,0,'2024/03/05 12:30:15','2024/03/05 14:07',24,24,"
                          "0,0,Null,1,1,0,'',7,'TABLET2','')",
        "Insert into mPagamentos (Pedido,  idcond, tipo, valor) VALUES (1001,998,'DINHEIRO',24)",
        "delete  from Comanda where Comanda = 42", "delete  from itemComanda where Comanda = 42",
        // The time is after the one-second wait.
        "Insert into Logs (log, DataHora, Usuario, Tipo) VALUES ('Auto recebimento 42 -  Total 24',"
        "'2024/03/05 14:07:10','SISTEMA','OPERACAO')",
        "Update CadComanda set Ocupado=false where numero = 42"}));
    EXPECT_EQ(t.novosEventos(),
              (Linhas{"Começando auto recebimento da comanda 42", "Auto recebimento da comanda concluido!"}));
    EXPECT_EQ(t.relogio.esperas(), (std::vector<std::chrono::milliseconds>{std::chrono::seconds(1)}));

    Verifica();
    EXPECT_EQ(sqls.at(5),
              kColunasItem + "Null,60,200,0.5,12.35,Null,Null,Null,Null,32,Null,'2024/03/05 14:07',Null)");
    EXPECT_EQ(sqls.at(7), kColunasComanda + "Null,Null,Null,60,Null,Null,Null,'2024/03/05 14:07',"
                                            "8.175,8.175,0,0,Null,3,0,0,'Mesa do D''Ávila',Null,Null,'')");
    EXPECT_EQ(t.novosEventos(),
              (Linhas{"Começando auto recebimento da comanda 60", "Auto recebimento da comanda concluido!"}));

    // Nothing printed is left but the orphan, which is not touched. A
    // comanda without items is never received, even when asked for.
    Verifica();
    EXPECT_EQ(sqls, Linhas{kImpressos});
    AutoRecebComanda(t.ctx, 43);
    AutoRecebComanda(t.ctx, 77);  // no such comanda
    EXPECT_TRUE(t.novosEventos().empty());
    EXPECT_EQ(t.consulta("Select Comanda from ItemComanda", "Comanda"), Linhas{"99"});
    EXPECT_EQ(Estado(), "Comanda=1 ItemComanda=1 mcomanda=2 mitemcomanda=4 mPagamentos=2 Logs=2 ocupadas: 43");

    EXPECT_EQ(Tabela("Select * from mitemcomanda order by idLanc",
                     "idPedido Comanda idProduto qtde Valor Custo desconto Unidade OBS idLanc DataHora "
                     "DataHoraFim Lancado"),
              (Linhas{"1001|42|100|2.0000|10.5000|4.2500|0.0000|UN|sem sal|11|2024-03-05 12:40:00|"
                      "2024-03-05 14:07:00|PALM1",
                      "1001|42|200|1.0000|3.0000|1.0000|0.0000|UN||12|2024-03-05 12:45:30|2024-03-05 14:07:00|TABLET2",
                      "NULL|60|100|1.0000|2.0000|0.0000|0.0000|UN|bem passado|31|2024-03-05 13:00:00|"
                      "2024-03-05 14:07:00|PALM1",
                      "NULL|60|200|0.5000|12.3500|NULL|NULL|NULL|NULL|32|NULL|2024-03-05 14:07:00|NULL"}));
    EXPECT_EQ(Tabela("Select * from mcomanda order by Comanda",
                     "idPedido idCliente Garcon Comanda Ocupantes Desconto Inicio Final Valor ValorPg Couvert "
                     "Servico Fechamento idLanc Status PG Obs Mesa Vendedor Caixa"),
              (Linhas{"1001|0|JOAO|42|2|0.0000|2024-03-05 12:30:15|2024-03-05 14:07:00|24.0000|24.0000|0.0000|"
                      "0.0000|NULL|1|1|0||7|TABLET2|",
                      "NULL|NULL|NULL|60|NULL|NULL|NULL|2024-03-05 14:07:00|8.1750|8.1750|0.0000|0.0000|NULL|3|0|0|"
                      "Mesa do D'Ávila|NULL|NULL|"}));
    EXPECT_EQ(Tabela("Select * from mPagamentos order by valor desc", "Pedido idcond tipo valor"),
              (Linhas{"1001|998|DINHEIRO|24.0000", "NULL|998|DINHEIRO|8.1750"}));
    EXPECT_EQ(Tabela("Select * from Logs order by DataHora", "log DataHora Usuario Tipo"),
              (Linhas{"Auto recebimento 42 -  Total 24|2024-03-05 14:07:10|SISTEMA|OPERACAO",
                      "Auto recebimento 60 -  Total 8,175|2024-03-05 14:07:11|SISTEMA|OPERACAO"}));
}

TEST_F(AutoRecebimento, FalhaNoMeioNaoDeixaHistoricoEAComandaContinuaAberta) {
    Comanda42(1);
    Executa("CREATE TRIGGER recusa_pagamento BEFORE INSERT ON mPagamentos FOR EACH ROW "
            "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'pagamento recusado'");

    EXPECT_THROW(Verifica(), ErroBanco);
    t.banco.abandona();  // what the top handler does after a database failure
    EXPECT_EQ(Estado(), "Comanda=1 ItemComanda=2 mcomanda=0 mitemcomanda=0 mPagamentos=0 Logs=0 ocupadas: 42 43 60");
    const auto eventos = t.novosEventos();
    ASSERT_EQ(eventos.size(), 2u);
    EXPECT_EQ(eventos[0], "Começando auto recebimento da comanda 42");
    EXPECT_EQ(eventos[1].rfind("Erro abrindo banco 2: ", 0), 0u) << eventos[1];
    EXPECT_NE(eventos[1].find("pagamento recusado"), std::string::npos) << eventos[1];

    // Once the server takes payments again the comanda is received exactly once.
    Executa("DROP TRIGGER recusa_pagamento");
    Verifica();
    EXPECT_EQ(Estado(), "Comanda=0 ItemComanda=0 mcomanda=1 mitemcomanda=2 mPagamentos=1 Logs=1 ocupadas: 43 60");
}

// An item launched during the receipt's one-second wait has not reached the
// kitchen: the comanda is not received, and nothing is written.
TEST_F(AutoRecebimento, ItemLancadoDuranteAEsperaAdiaORecebimento) {
    Comanda42(1);
    t.relogio.aoEsperar([this](std::size_t) {
        t.banco.AbreBanco3("Insert into ItemComanda (Comanda, idProduto, qtde, valor, impresso) values (42,100,1,5,0)");
        t.banco.FechaBanco3();
    });
    Verifica();
    EXPECT_EQ(t.novosEventos(), (Linhas{"Começando auto recebimento da comanda 42",
                                        "Auto recebimento da comanda 42 adiado: item ainda não impresso"}));
    EXPECT_EQ(Estado(), "Comanda=1 ItemComanda=3 mcomanda=0 mitemcomanda=0 mPagamentos=0 Logs=0 ocupadas: 42 43 60");
}

// Under a server that takes no gap locks, an item may arrive between the
// reading and the delete: the delete then removes more than was copied,
// and the whole receipt is undone.
TEST_F(AutoRecebimento, ApagarMaisDoQueFoiLidoDesfazTudo) {
    Comanda42(1);
    Executa("Set session transaction isolation level read committed");
    ContextoTeste outro;
    t.banco.defineGancho([&](OperacaoBanco operacao, const std::string& sql) {
        if (operacao != OperacaoBanco::Comando || sql.rfind("delete  from itemComanda", 0) != 0) return;
        outro.banco.AbreBanco("Insert into ItemComanda (Comanda, idProduto, qtde, valor, impresso) values (42,100,1,5,1)");
        outro.banco.FechaBanco();
    });
    Verifica();
    t.banco.defineGancho({});
    const auto eventos = t.novosEventos();
    ASSERT_EQ(eventos.size(), 2u);
    EXPECT_EQ(eventos[1], "Auto recebimento da comanda 42 desfeito: 3 linhas apagadas onde eram esperadas 2");
    EXPECT_EQ(Estado(), "Comanda=1 ItemComanda=3 mcomanda=0 mitemcomanda=0 mPagamentos=0 Logs=0 ocupadas: 42 43 60");
}

}  // namespace
}  // namespace varelo
