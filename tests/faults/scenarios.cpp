#include "tests/faults/scenarios.h"

namespace varelo::falhas {
namespace {

// An open comanda on its table, opened two hours from now by the server's
// clock, so that its items are not overdue unless a scenario says so.
std::string Comanda(int comanda, int mesa, int status = 0, const std::string& fechando = "N") {
    const std::string n = std::to_string(comanda);
    return "Insert into Comanda (Comanda, Mesa, idpedido, Garcon, Ocupantes, Inicio, Status, Fechando) values (" +
           n + "," + std::to_string(mesa) + "," + n + "00,'Ana',2,now(),"  + std::to_string(status) + ",'" +
           fechando + "')";
}

// An item: product, quantity, marker (its remark), printed or not.
std::string Item(int comanda, int produto, const std::string& qtde, const std::string& marca, int impresso = 0,
                 const std::string& quando = "now() + interval 2 hour") {
    const bool etiqueta = produto == 40;
    return "Insert into ItemComanda (Comanda, idProduto, qtde, valor, Obs, Lancado, Descricao2, Etiqueta, "
           "impresso, DataHora) values (" +
           std::to_string(comanda) + "," + std::to_string(produto) + "," + qtde + ",10,'" + marca + "','Ana'," +
           (etiqueta ? "'Bolo " + marca + "'" : "NULL") + "," + (etiqueta ? "0" : "1") + "," +
           std::to_string(impresso) + "," + quando + ")";
}

std::string Delivery(int pedido, int comando) {
    return "Insert into Delivery (idpedido, idcliente, endereco, Comando) values (" + std::to_string(pedido) +
           ",1,'Rua A'," + std::to_string(comando) + ")";
}

std::string ItemDelivery(int pedido, int produto, const std::string& marca) {
    return "Insert into iDelivery (idpedido, idproduto, Qtde, Obs, lancado, valor) values (" +
           std::to_string(pedido) + "," + std::to_string(produto) + ",1,'" + marca + "','Ana',12.5)";
}

// Comanda 8 with a printed dish, a drink and a payment: what bills and
// statements are made of.
std::vector<std::string> Comanda8() {
    return {Comanda(8, 8), Item(8, 1, "2", "c1", 1), Item(8, 10, "1", "c2", 1),
            "Insert into pagamentos (comanda, valor, tipo) values (8, 20, 'Dinheiro')"};
}

}  // namespace

std::vector<std::string> Limpeza() {
    return {"Delete from Comanda",      "Delete from ItemComanda", "Delete from pagamentos",
            "Delete from Delivery",     "Delete from iDelivery",   "Delete from Logs",
            "Delete from LogImp",       "Delete from mcomanda",    "Delete from mitemcomanda",
            "Delete from mPagamentos",  "Update sequencias set seqcomanda=0",
            "Update cadcomanda set Ocupado=0"};
}

Cenario CenarioDeMorte() {
    Cenario c{"programa morto", Comanda8(), {}, {}};
    for (const std::string& sql : {Comanda(5, 5), Item(5, 1, "1", "k1"), Item(5, 1, "0.5", "k2"),
                                   Item(5, 10, "1", "k3"), Item(5, 20, "1", "k4")})
        c.sql.push_back(sql);
    c.pedidos = {{"INCLUSAO1.txt", "1;Inteira;1;r1;1;Ana;;0\r\n"},
                 {"INCLUSAO2.txt", "10;2;2;r2;2;Ana;;7.50\r\n"},
                 {"PRINTM5.txt", "\r\n"},
                 {"FECHACONTA8.txt", "Joao\r\n"},
                 {"IMP1.txt", "cozinha\r\nRetirar i1\r\nno balcao\r\n"}};
    return c;
}

std::vector<Cenario> Cenarios() {
    const auto tique = std::vector<Acao>{Acao::Tique};
    return {
        {"INCLUSAO",
         {},
         {{"INCLUSAO1.txt", "1;Inteira;1;r1;1;Ana;;0\r\n"},
          {"INCLUSAO2.txt", "10;2;2;r2;2;Ana;;7.50\r\n"},
          {"INCLUSAO3.txt", "99;1;3;r3;3;;;0\r\n"}},
         tique},
        {"EXCLUSAO", Comanda8(), {{"EXCLUSAO8.txt", "\r\n"}}, tique},
        // Two printers, a copy printer, a half portion, a label and a group
        // that is never printed.
        {"PRINTM",
         {Comanda(5, 5), Item(5, 1, "1", "k1"), Item(5, 1, "0.5", "k2"), Item(5, 10, "1", "k3"),
          Item(5, 20, "1", "k4"), Item(5, 40, "1", "k5"), Item(5, 30, "1", "k6")},
         {{"PRINTM5.txt", "\r\n"}},
         tique},
        {"PRINTD",
         {Delivery(7, 0), ItemDelivery(7, 1, "d1"), ItemDelivery(7, 10, "d2"), ItemDelivery(7, 30, "d3")},
         {{"PRINTD7.txt", "\r\n"}},
         tique},
        {"FECHACONTA", Comanda8(), {{"FECHACONTA8.txt", "Joao\r\n"}}, tique},
        {"ATUALIZA e ATUCOM", Comanda8(), {{"ATUALIZA8.txt", "\r\n"}, {"ATUCOM.txt", "\r\n"}}, tique},
        {"IMP", {}, {{"IMP1.txt", "cozinha\r\nRetirar i1\r\nno balcao\r\n"}}, tique},
        {"tablet",
         {Comanda(9, 9, 2), Item(9, 1, "1", "k9"), Item(9, 20, "1", "k10"), Comanda(10, 10, 3),
          Item(10, 1, "1", "c10", 1)},
         {},
         {Acao::Tique, Acao::Tique}},
        {"itens atrasados",
         {Comanda(6, 6), Item(6, 1, "1", "k7", 0, "now() - interval 10 minute"),
          Item(6, 10, "1", "k8", 0, "now() - interval 10 minute")},
         {},
         tique},
        {"delivery pedido pelo banco", {Delivery(11, 1), ItemDelivery(11, 1, "d11"), ItemDelivery(11, 10, "d12")},
         {}, tique},
        {"recebimento automatico",
         {Comanda(12, 12), Item(12, 1, "2", "h1", 1), Item(12, 10, "1", "h2", 1), Comanda(13, 13),
          Item(13, 1, "1", "h3", 1)},
         {},
         {Acao::Tique, Acao::Tique},
         1},
        {"inicio", Comanda8(), {}, {Acao::Inicio}},
        {"botoes", Comanda8(), {}, {Acao::Atualizar, Acao::Consumos}},
    };
}

}  // namespace varelo::falhas
