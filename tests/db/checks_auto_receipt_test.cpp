// Automatic receipt: the statements, the history rows, the payment, the
// deletions, the Logs row and the freed card; a receipt is whole or absent.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/errors.h"
#include "checks/auto_receipt.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

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
        DataHora agora;  // Tuesday 5 March 2024, 14:07:09
        agora.ano = 2024;
        agora.mes = 3;
        agora.dia = 5;
        agora.hora = 14;
        agora.minuto = 7;
        agora.segundo = 9;
        t.relogio.define(agora);
        t.banco.observaSql([this](const std::string& s) {
            if (gravando) sqls.push_back(s);
        });
        Executa("Insert into cadcomanda (Numero, status, Ocupado) values (42, 1, 1), (43, 1, 1), "
                "(60, 1, 1)");
    }

    void Executa(const std::string& sql) {
        t.banco.AbreBanco(sql);
        t.banco.FechaBanco();
    }

    // Comanda 42 of table 7: 2 x 10.50 and 1 x 3, both printed.
    void Comanda42(int impressoSegundo = 1) {
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
        gravando = true;
        VerificaRecebComanda(t.ctx);
        gravando = false;
    }

    // The rows of a query, each the listed columns joined by "|".
    std::vector<std::string> Linhas(const std::string& sql, const std::vector<std::string>& colunas) {
        std::vector<std::string> linhas;
        Banco& b = t.banco;
        b.AbreBanco3(sql);
        for (; !b.rs3().eof(); b.rs3().proximo()) {
            std::string l;
            for (const auto& c : colunas) l += (l.empty() ? "" : "|") + b.rs3().campo(c).value_or("NULL");
            linhas.push_back(l);
        }
        b.FechaBanco3();
        return linhas;
    }

    std::string Conta(const std::string& tabela) {
        return t.consulta("Select count(*) as n from " + tabela, "n").at(0);
    }

    ContextoTeste t;
    bool gravando = false;
    std::vector<std::string> sqls;
};

TEST_F(AutoRecebimento, ComandaImpressaVaiParaOHistoricoComPagamentoEmDinheiro) {
    Comanda42();

    Verifica();

    EXPECT_EQ(sqls, (std::vector<std::string>{
        kImpressos,
        "Select * from itemcomanda where comanda=42 and impresso=0",
        "Select * from Comanda where comanda=42",
        "Select * from itemComanda where comanda=42",
        kColunasItem + "1001,42,100,2,10.5,4.25,0,'UN','sem sal',11,'2024/03/05 12:40:00',"
                       "'2024/03/05 14:07','PALM1')",
        kColunasItem + "1001,42,200,1,3,1,0,'UN','',12,'2024/03/05 12:45:30',"
                       "'2024/03/05 14:07','TABLET2')",
        "Select * from Comanda where comanda=42",
        kColunasComanda + "1001,0,'JOAO',42,2,0,'2024/03/05 12:30:15','2024/03/05 14:07',24,24,"
                          "0,0,Null,1,1,0,'',7,'TABLET2','')",
        "Insert into mPagamentos (Pedido,  idcond, tipo, valor) VALUES (1001,998,'DINHEIRO',24)",
        "delete  from Comanda where Comanda = 42",
        "delete  from itemComanda where Comanda = 42",
        "Insert into Logs (log, DataHora, Usuario, Tipo) VALUES ('Auto recebimento 42 -  Total 24',"  // after the one-second wait
        "'2024/03/05 14:07:10','SISTEMA','OPERACAO')",
        "Update CadComanda set Ocupado=false where numero = 42",
    }));

    EXPECT_EQ(Linhas("Select * from mitemcomanda order by idLanc",
                     {"idPedido", "Comanda", "idProduto", "qtde", "Valor", "Custo", "desconto",
                      "Unidade", "OBS", "idLanc", "DataHora", "DataHoraFim", "Lancado"}),
              (std::vector<std::string>{
                  "1001|42|100|2.0000|10.5000|4.2500|0.0000|UN|sem sal|11|2024-03-05 12:40:00|"
                  "2024-03-05 14:07:00|PALM1",
                  "1001|42|200|1.0000|3.0000|1.0000|0.0000|UN||12|2024-03-05 12:45:30|"
                  "2024-03-05 14:07:00|TABLET2"}));
    EXPECT_EQ(Linhas("Select * from mcomanda",
                     {"idPedido", "idCliente", "Garcon", "Comanda", "Ocupantes", "Desconto", "Inicio",
                      "Final", "Valor", "ValorPg", "Couvert", "Servico", "Fechamento", "idLanc",
                      "Status", "PG", "Obs", "Mesa", "Vendedor", "Caixa"}),
              (std::vector<std::string>{
                  "1001|0|JOAO|42|2|0.0000|2024-03-05 12:30:15|2024-03-05 14:07:00|24.0000|"
                  "24.0000|0.0000|0.0000|NULL|1|1|0||7|TABLET2|"}));
    EXPECT_EQ(Linhas("Select * from mPagamentos", {"Pedido", "idcond", "tipo", "valor"}),
              (std::vector<std::string>{"1001|998|DINHEIRO|24.0000"}));
    EXPECT_EQ(Conta("Comanda"), "0");
    EXPECT_EQ(Conta("ItemComanda"), "0");
    EXPECT_EQ(Linhas("Select * from Logs", {"log", "DataHora", "Usuario", "Tipo"}),
              (std::vector<std::string>{
                  "Auto recebimento 42 -  Total 24|2024-03-05 14:07:10|SISTEMA|OPERACAO"}));
    EXPECT_EQ(Linhas("Select * from cadcomanda order by Numero", {"Numero", "Ocupado"}),
              (std::vector<std::string>{"42|0", "43|1", "60|1"}));
    EXPECT_EQ(t.novosEventos(),
              (std::vector<std::string>{"Começando auto recebimento da comanda 42",
                                        "Auto recebimento da comanda concluido!"}));
    EXPECT_EQ(t.relogio.esperas(), (std::vector<std::chrono::milliseconds>{std::chrono::seconds(1)}));

    // Nothing printed is left: the next check finds nothing.
    Verifica();
    EXPECT_EQ(sqls, (std::vector<std::string>{kImpressos}));
    EXPECT_TRUE(t.novosEventos().empty());
}

TEST_F(AutoRecebimento, ComandaComItemNaoImpressoEsperaAteEleSairNaCozinha) {
    Comanda42(0);

    Verifica();
    EXPECT_EQ(sqls, (std::vector<std::string>{
                        kImpressos, "Select * from itemcomanda where comanda=42 and impresso=0"}));
    EXPECT_TRUE(t.novosEventos().empty());
    EXPECT_TRUE(t.relogio.esperas().empty());
    EXPECT_EQ(Conta("ItemComanda"), "2");
    EXPECT_EQ(Conta("Comanda"), "1");
    EXPECT_EQ(Conta("mitemcomanda"), "0");

    Executa("Update ItemComanda set impresso=1 where idlanc=12");
    Verifica();
    EXPECT_EQ(Conta("Comanda"), "0");
    EXPECT_EQ(Conta("mitemcomanda"), "2");
    EXPECT_EQ(t.consulta("Select valor from mPagamentos", "valor"),
              (std::vector<std::string>{"24.0000"}));
}

TEST_F(AutoRecebimento, ItemImpressoDeComandaQueNaoExisteNaoSeguraOsOutros) {
    Executa("Insert into ItemComanda (idlanc, Comanda, idProduto, qtde, valor, impresso) values "
            "(1, 99, 100, 1, 5, 1)");
    Comanda42();

    Verifica();
    EXPECT_EQ(Conta("Comanda"), "0");
    EXPECT_EQ(t.consulta("Select Comanda from mcomanda", "Comanda"), (std::vector<std::string>{"42"}));
    // The orphan is not touched.
    EXPECT_EQ(t.consulta("Select Comanda from ItemComanda", "Comanda"), (std::vector<std::string>{"99"}));
    EXPECT_EQ(Conta("mitemcomanda"), "2");
}

TEST_F(AutoRecebimento, ComandaSemItensNuncaEhRecebida) {
    Executa("Insert into Comanda (Comanda, idpedido, Garcon, Mesa) values (43, 1002, 'ANA', 3)");

    Verifica();
    EXPECT_EQ(sqls, (std::vector<std::string>{kImpressos}));

    AutoRecebComanda(t.ctx, 43);
    AutoRecebComanda(t.ctx, 77);  // no such comanda
    EXPECT_EQ(Conta("Comanda"), "1");
    EXPECT_EQ(Conta("mcomanda"), "0");
    EXPECT_EQ(Conta("mitemcomanda"), "0");
    EXPECT_EQ(Conta("mPagamentos"), "0");
    EXPECT_EQ(Conta("Logs"), "0");
    EXPECT_EQ(Linhas("Select * from cadcomanda where Numero=43", {"Ocupado"}),
              (std::vector<std::string>{"1"}));
    EXPECT_TRUE(t.novosEventos().empty());
}

TEST_F(AutoRecebimento, FalhaNoMeioNaoDeixaHistoricoEAComandaContinuaAberta) {
    Comanda42();
    Executa("CREATE TRIGGER recusa_pagamento BEFORE INSERT ON mPagamentos FOR EACH ROW "
            "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'pagamento recusado'");

    EXPECT_THROW(Verifica(), ErroBanco);
    gravando = false;
    t.banco.abandona();  // what the top handler does after a database failure

    EXPECT_EQ(Conta("mitemcomanda"), "0");
    EXPECT_EQ(Conta("mcomanda"), "0");
    EXPECT_EQ(Conta("mPagamentos"), "0");
    EXPECT_EQ(Conta("Logs"), "0");
    EXPECT_EQ(Conta("Comanda"), "1");
    EXPECT_EQ(Conta("ItemComanda"), "2");
    EXPECT_EQ(Linhas("Select * from cadcomanda where Numero=42", {"Ocupado"}),
              (std::vector<std::string>{"1"}));
    const auto eventos = t.novosEventos();
    ASSERT_EQ(eventos.size(), 3u);
    EXPECT_EQ(eventos[0], "Começando auto recebimento da comanda 42");
    EXPECT_EQ(eventos[1].rfind("Erro abrindo banco 2: ", 0), 0u) << eventos[1];
    EXPECT_NE(eventos[1].find("pagamento recusado"), std::string::npos) << eventos[1];
    EXPECT_EQ(eventos[2], "Erro no banco de dados, reiniciando programa em 10 segundos");

    // Once the server takes payments again the comanda is received exactly once.
    Executa("DROP TRIGGER recusa_pagamento");
    Verifica();
    EXPECT_EQ(Conta("mitemcomanda"), "2");
    EXPECT_EQ(Conta("mcomanda"), "1");
    EXPECT_EQ(Conta("mPagamentos"), "1");
    EXPECT_EQ(Conta("Comanda"), "0");
    EXPECT_EQ(Conta("ItemComanda"), "0");
}

TEST_F(AutoRecebimento, NulosNasColunasSaoGravadosComoNull) {
    Executa("Insert into Comanda (Comanda, idpedido, idCliente, Garcon, Ocupantes, Desconto, "
            "Inicio, Mesa, Status, Fechando, Obs) values "
            "(60, Null, Null, Null, Null, Null, Null, Null, 0, 'N', 'Mesa do D''Ávila')");
    Executa("Insert into ItemComanda (idlanc, Comanda, idProduto, qtde, valor, desconto, custo, "
            "Unidade, Obs, Lancado, DataHora, impresso) values "
            "(31, 60, 100, 1, 2, 0, 0, 'UN', 'bem passado', 'PALM1', '2024/03/05 13:00:00', 1),"
            "(32, 60, 200, 0.5, 12.35, Null, Null, Null, Null, Null, Null, 1)");

    Verifica();

    EXPECT_EQ(sqls.at(5), kColunasItem + "Null,60,200,0.5,12.35,Null,Null,Null,Null,32,Null,"
                                         "'2024/03/05 14:07',Null)");
    EXPECT_EQ(sqls.at(7), kColunasComanda + "Null,Null,Null,60,Null,Null,Null,'2024/03/05 14:07',"
                                            "8.175,8.175,0,0,Null,1,0,0,'Mesa do D\\'Ávila',Null,"
                                            "Null,'')");
    EXPECT_EQ(Linhas("Select * from mitemcomanda order by idLanc",
                     {"idPedido", "qtde", "Valor", "Custo", "desconto", "Unidade", "OBS", "DataHora",
                      "Lancado"}),
              (std::vector<std::string>{
                  "NULL|1.0000|2.0000|0.0000|0.0000|UN|bem passado|2024-03-05 13:00:00|PALM1",
                  "NULL|0.5000|12.3500|NULL|NULL|NULL|NULL|NULL|NULL"}));
    EXPECT_EQ(Linhas("Select * from mcomanda",
                     {"idPedido", "idCliente", "Garcon", "Ocupantes", "Desconto", "Inicio", "Valor",
                      "Obs", "Mesa", "Vendedor", "Caixa"}),
              (std::vector<std::string>{
                  "NULL|NULL|NULL|NULL|NULL|NULL|8.1750|Mesa do D'Ávila|NULL|NULL|"}));
    EXPECT_EQ(Linhas("Select * from mPagamentos", {"Pedido", "idcond", "tipo", "valor"}),
              (std::vector<std::string>{"NULL|998|DINHEIRO|8.1750"}));
    EXPECT_EQ(t.consulta("Select log from Logs", "log"),
              (std::vector<std::string>{"Auto recebimento 60 -  Total 8,175"}));
    EXPECT_EQ(Conta("Comanda"), "0");
    EXPECT_EQ(Conta("ItemComanda"), "0");
    EXPECT_EQ(Linhas("Select * from cadcomanda where Numero=60", {"Ocupado"}),
              (std::vector<std::string>{"0"}));
}

}  // namespace
}  // namespace varelo
