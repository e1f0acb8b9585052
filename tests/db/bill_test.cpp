// Bills: the page that reaches the bill printer line by line, the
// statements sent, the closing mark on the comanda, the event list and what
// a failing printer leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "base/errors.h"
#include "base/printing_system.h"
#include "db/banco.h"
#include "printing/bill.h"
#include "tests/support/delegating_printer.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

using Linhas = std::vector<std::string>;

const std::string D46(46, '-');
const std::string D48(48, '-');

Linhas operator+(Linhas a, const Linhas& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The lines of a spooled document (each line ends with "\n").
Linhas Separa(const std::string& texto) {
    Linhas linhas;
    std::istringstream entrada(texto);
    for (std::string linha; std::getline(entrada, linha);) linhas.push_back(linha);
    return linhas;
}

// Comanda 42 as the fixture opens it, at 05/03/2024 19:30:05.
const Linhas kCabecalho = {"Restaurante Sabor", "Rua das Palmeiras, 10", "Recife - PE", "Venda No  314",
                           "05/03/2024 - 19:30:05", "Comanda:  42", "Chegada : 05/03/2024 18:02:09",
                           "Saida:    05/03/2024 19:30:05", D46, "Descricao                QTDExUNIT       VALOR", D46};

// The four item lines of the fixture's comanda: subtotal 100,00.
const Linhas kItens = {"Filé à parmegiana           3x  10,00    30,00",
                       "Filé à parmegiana           1x  12,00    12,00",
                       "Refrigerante lata           1x   5,00     5,00",
                       "Costela bovina assada n     1x  53,00    53,00"};

// Everything after the occupants and waiter lines, with LinhaFim 2.
const Linhas kRodape = {"", D46, "", "       Este cupom não tem valor fiscal", "",
                        "           Obrigado pela Preferencia", "", "                 Volte sempre", D48,
                        "Varelo Tecnologia - www.exemplo.com.br", " ", " "};

// The totals and the waiter of comanda 42 as the fixture opens it.
const Linhas kTotais = {D46,
                        "Subtotal                                100,00",
                        "Couvert                                  10,00",
                        "Servico            10%                   10,00",
                        D46,
                        "TOTAL A PAGAR                           120,00",
                        " ",
                        "Ocupantes: 2  Valor por pessoa: 60,00"};
const Linhas kConta42 = kCabecalho + kItens + kTotais + Linhas{"Garcon   : Ana"} + kRodape;
const Linhas kImpressao42 = {"Iniciando impressao da conta 42", "Fim da impressao da conta 42"};

// A printing system that throws while printing the line that starts with
// `falhaEm`, as a printer that went offline mid-page would, or whose queue
// refuses the finished document.
class ImpressaoQueFalha final : public ImpressaoDelegada {
public:
    using ImpressaoDelegada::ImpressaoDelegada;
    void imprime(const std::string& texto) override {
        if (!falhaEm.empty() && texto.rfind(falhaEm, 0) == 0) throw Erro("Impressora desligada");
        real_.imprime(texto);
    }
    bool terminaDocumento() override { return !recusa && real_.terminaDocumento(); }
    std::string ultimoErro() const override { return recusa ? "fila parada" : real_.ultimoErro(); }
    std::string falhaEm;
    bool recusa = false;
};

class Conta : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        t.relogio.define(DataHora{2024, 3, 5, 19, 30, 5});
        ctx.pastaPrograma = t.ctx.pastaPrograma;
        ctx.cfg = t.ctx.cfg;
        ctx.cfg.Site = "www.exemplo.com.br";
        ctx.cfg.LinhaFim = 2;
        ctx.cfg.FonteCupomCozinha = "Courier New";
        ctx.cfg.TamFonteCupomCozinha = "12";
        ctx.cfg.empresa = {"  Restaurante Sabor  ", "Rua das Palmeiras, 10   ", " Recife", "PE"};
        t.pasta.escreve("impressoras/bar/fonts.txt", "Courier New\nLarabiefont\n");
        Ajuste("ImpCupom", "bar");
        Ajuste("Servico", "10");
        Ajuste("Couvert", "5");

        Executa("Insert into Produtos (codigo, descricao, servico) values "
                "(7,'Filé à parmegiana',0),(9,'Refrigerante lata',0),"
                "(12,'Costela bovina assada na brasa',0),(20,'Vinho da casa',1),(21,Null,0)");
        Executa("Insert into cadcomanda (Numero, TaxaServico) values (42,'S')");
        Executa("Insert into Comanda (Comanda, idpedido, Garcon, Ocupantes, Inicio, Mesa) values "
                "(42, 314, 'Ana', 2, '2024-03-05 18:02:09', 7)");
        Executa("Insert into ItemComanda (Comanda, idProduto, qtde, valor) values "
                "(42,7,1,10.00),(42,7,2,10.00),(42,7,1,12.00),(42,9,1,5.00),(42,12,1,53.00)");
        t.banco.observaSql([this](const std::string& sql) { enviados.push_back(sql); });
        t.novosEventos();
    }

    void Executa(const std::string& sql) {
        t.banco.AbreBanco(sql);
        t.banco.FechaBanco();
    }
    void Ajuste(const std::string& chave, const std::string& valor) {
        t.armazem.grava("Varelo", "Config", chave, valor);
    }
    void Fecha(std::int32_t comanda, const std::string& caminho = "") {
        enviados.clear();
        FechaConta(ctx, comanda, caminho);
    }
    // The bills ended on the bill printer, oldest first, as lines.
    std::vector<Linhas> Contas() {
        std::vector<Linhas> contas;
        for (const auto& texto : t.documentos("bar")) contas.push_back(Separa(texto));
        return contas;
    }
    std::string Status(int comanda) {
        return t.consulta("Select Status from Comanda where Comanda = " + std::to_string(comanda), "Status").at(0);
    }

    ContextoTeste t;
    ImpressaoQueFalha falha{t.impressao};
    Contexto ctx{t.relogio, t.arquivos, t.armazem, t.eventos, t.impressos, t.banco,    t.mensagens,
                 t.timer1,  t.processos, t.executor, falha};
    Linhas enviados;
};

TEST_F(Conta, ExemploCompletoLinhaALinha) {
    Fecha(42);

    EXPECT_EQ(Contas(), std::vector<Linhas>{kConta42});
    EXPECT_EQ(t.pasta.le("impressoras/bar/000001.font"), "Larabiefont\n8\nTrue\n");
    EXPECT_TRUE(t.documentos("default").empty());
    const std::string produto = "Select Descricao, servico from Produtos where Codigo = ";
    // Composed whole first; the closing mark goes with the hand-over.
    EXPECT_EQ(enviados, (Linhas{"select * from cadcomanda where numero = 42",
                                "Select sum(valor) as TotalPago from pagamentos where comanda= 42",
                                "Select * from Comanda where comanda = 42",
                                "Select * from ItemComanda where comanda = 42 Order by idProduto",
                                produto + "7", produto + "7", produto + "7", produto + "9",
                                produto + "12", "Select * from Comanda where comanda = 42",
                                "Update Comanda Set Status=1 where comanda = 42"}));
    EXPECT_EQ(Status(42), "1");
    EXPECT_EQ(t.novosEventos(), kImpressao42);
}

TEST_F(Conta, SemImpressoraDeContaNadaAconteceAlemDoAviso) {
    // The printer setting missing, then set to "Não Imprimir".
    t.arquivos.grava(t.armazem.caminho("Varelo"), "[Config]\nServico=10\n");
    for (int vez = 0; vez < 2; ++vez) {
        SCOPED_TRACE(vez == 0 ? "missing" : "Não Imprimir");
        Fecha(42);
        EXPECT_EQ(t.novosEventos(), Linhas{"Iniciando impressao da conta 42"});
        EXPECT_TRUE(enviados.empty());
        Ajuste("ImpCupom", "Não Imprimir");
    }
    EXPECT_EQ(Status(42), "0");
    EXPECT_TRUE(t.documentos("bar").empty());
    EXPECT_TRUE(t.documentos("default").empty());
}

// Item lines: one product at one price is one line only while its rows
// follow each other; wide values push the line right and lose no digit;
// a product without description prints blank and a missing one by that
// name. Service is 10% of the products marked 0 only: not the wine, not the
// missing product. Without a card the service is charged.
TEST_F(Conta, LinhasDosItensEBaseDoServico) {
    Executa("Delete from ItemComanda");
    Executa("Delete from cadcomanda");
    Executa("Insert into ItemComanda (idlanc, Comanda, idProduto, qtde, valor) values "
            "(1,42,7,1,10.00),(2,42,7,0.5,12.00),(3,42,7,2,10.00),(4,42,9,1.5,5.00),(5,42,9,1,5.00),"
            "(6,42,20,12.125,1234.5),(7,42,21,1,2.00),(8,42,99,2,3.00)");
    ASSERT_EQ(t.consulta("Select * from ItemComanda where comanda = 42 Order by idProduto", "idlanc"),
              (Linhas{"1", "2", "3", "4", "5", "6", "7", "8"}))
        << "the server sorted differently";
    Fecha(42);
    EXPECT_EQ(Contas(), (std::vector<Linhas>{kCabecalho +
                                            Linhas{"Filé à parmegiana           1x  10,00    10,00",
                                                   "Filé à parmegiana         0,5x  12,00     6,00",
                                                   "Filé à parmegiana           2x  10,00    20,00",
                                                   "Refrigerante lata         2,5x   5,00    12,50",
                                                   "Vinho da casa           12,125x 1.234,50 14.968,31",
                                                   "                            1x   2,00     2,00",
                                                   "Produto não encontrado      2x   3,00     6,00",
                                                   D46,
                                                   "Subtotal                             15.024,81",
                                                   "Couvert                                  10,00",
                                                   "Servico            10%                    5,05",
                                                   D46,
                                                   "TOTAL A PAGAR                        15.039,86",
                                                   " ",
                                                   "Ocupantes: 2  Valor por pessoa: 7.519,93",
                                                   "Garcon   : Ana"} +
                                            kRodape}));
}

// The totals block, from the subtotal to the line after the blank one.
// The comanda's own desconto, couvert and servico, when present and not
// negative, replace the configured ones.
TEST_F(Conta, TotaisConformeAComandaEOsAjustes) {
    const Linhas subtotal = {"Subtotal                                100,00"};
    const std::string couvert = "Couvert                                  10,00";
    const std::string servico = "Servico            10%                   10,00";
    const std::string pessoa = "Ocupantes: 2  Valor por pessoa: ";
    struct Caso {
        const char* nome;
        std::string percentual;
        Linhas sql;
        Linhas totais;
    };
    const std::vector<Caso> casos = {
        {"desconto and couvert 0", "10", {"Update Comanda set Desconto = 0, Couvert = 0 where Comanda = 42"},
         subtotal + Linhas{servico, D46, "TOTAL A PAGAR                           110,00", " ", pessoa + "55,00"}},
        {"the comanda's charges", "10",
         {"Update Comanda set Desconto = 7.5, Couvert = 3, Servico = 8.25 where Comanda = 42"},
         subtotal + Linhas{"Couvert                                   3,00",
                           "Servico            10%                    8,25",
                           "Desconto                                  7,50", D46,
                           "TOTAL A PAGAR                           103,75", " ", pessoa + "51,88"}},
        {"card without service", "10",
         {"Update cadcomanda set TaxaServico = 'N' where Numero = 42",
          "Update Comanda set Servico = 9 where Comanda = 42"},
         subtotal + Linhas{couvert, D46, "TOTAL A PAGAR                           110,00", " ", pessoa + "55,00"}},
        {"service of the comanda only", "0", {"Update Comanda set Servico = 4 where Comanda = 42"},
         subtotal + Linhas{couvert, "Servico            0%                     4,00", D46,
                           "TOTAL A PAGAR                           114,00", " ", pessoa + "57,00"}},
        {"percentage with service 0", "12,5", {"Update Comanda set Servico = 0 where Comanda = 42"},
         subtotal + Linhas{couvert, "Servico            12,5%                  0,00", D46,
                           "TOTAL A PAGAR                           110,00", " ", pessoa + "55,00"}},
        // Without occupants the cover is charged once and no line is shown.
        {"no occupants", "10", {"Update Comanda set Ocupantes = Null, Garcon = Null where Comanda = 42"},
         subtotal + Linhas{"Couvert                                   5,00", servico, D46,
                           "TOTAL A PAGAR                           115,00", " ", "Garcon   : "}},
        {"0 occupants", "10", {"Update Comanda set Ocupantes = 0 where Comanda = 42"},
         subtotal + Linhas{servico, D46, "TOTAL A PAGAR                           110,00", " ", "Ocupantes: 0"}},
        {"a payment", "10",
         {"Insert into pagamentos (Comanda, valor, tipo) values (42, 50, 'Dinheiro'),(41, 99, 'Pix')"},
         subtotal + Linhas{couvert, servico, "TOTAL                                   120,00", "", "PAGAMENTOS: ",
                           "Dinheiro                                 50,00",
                           "TOTAL PAGO                               50,00", D46,
                           "TOTAL A PAGAR                            70,00", " ", pessoa + "35,00"}},
    };
    for (std::size_t i = 0; i < casos.size(); ++i) {
        SCOPED_TRACE(casos[i].nome);
        Executa("Update Comanda set Ocupantes = 2, Garcon = 'Ana', Desconto = Null, Couvert = Null, "
                "Servico = Null where Comanda = 42");
        Executa("Update cadcomanda set TaxaServico = 'S'");
        Ajuste("Servico", casos[i].percentual);
        for (const auto& sql : casos[i].sql) Executa(sql);
        Fecha(42);
        EXPECT_EQ(t.novosEventos(), kImpressao42);
        const auto contas = Contas();
        ASSERT_EQ(contas.size(), i + 1);
        const Linhas& conta = contas.back();
        const auto inicio = std::find(conta.begin(), conta.end(), subtotal.front());
        const auto fim = std::find(inicio, conta.end(), " ");
        EXPECT_EQ(conta.end() - fim < 2 ? conta : Linhas(inicio, fim + 2), casos[i].totais);
    }
    // The payments are read by comanda.
    EXPECT_EQ(enviados.at(enviados.size() - 2), "Select * from pagamentos where Comanda = 42");
}

TEST_F(Conta, QuemPediuAContaPeloPalmOuOGarcomDaComanda) {
    // A request file that cannot be read: five attempts, then the waiter
    // of the comanda. The retries take the clock to 19:30:05.
    t.relogio.define(DataHora{2024, 3, 5, 19, 30, 0});
    Fecha(42, t.comanda("FECHACONTA42.txt"));
    EXPECT_EQ(t.relogio.esperas().size(), 5u);
    const std::string caminho = t.pedido("FECHACONTA42.txt", "João\r\noutra linha\r\n");
    Fecha(42, caminho);
    EXPECT_EQ(Contas(), (std::vector<Linhas>{kConta42, kCabecalho + kItens + kTotais +
                                                           Linhas{"Pedido de conta feito por ", "Garcon   : João"} +
                                                           kRodape}));
    // Printed, the request goes: one file never asks for two bills.
    EXPECT_FALSE(t.arquivos.podeLer(caminho));
}

TEST_F(Conta, ComandaSemLinhaMarcaNadaEImprimeNada) {
    Fecha(43);
    EXPECT_EQ(enviados, (Linhas{"select * from cadcomanda where numero = 43",
                                "Select sum(valor) as TotalPago from pagamentos where comanda= 43",
                                "Select * from Comanda where comanda = 43"}));
    EXPECT_EQ(t.novosEventos(), Linhas{"Iniciando impressao da conta 43"});
    EXPECT_TRUE(t.documentos("bar").empty());
    EXPECT_EQ(Status(42), "0");
}

// A bill the printer does not take (it fails half-way through, or its queue
// refuses the finished document) leaves nothing in the printing system and
// no closing mark: the request is served again later.
TEST_F(Conta, ContaRecusadaNaoDeixaMeiaContaNemMarca) {
    for (const auto& [falhaEm, recusa, motivo] : {std::tuple<std::string, bool, std::string>{"Subtotal", false, "Impressora desligada"},
                                                  {"", true, "fila parada"}}) {
        falha.falhaEm = falhaEm;
        falha.recusa = recusa;
        enviados.clear();
        EXPECT_EQ(FechaConta(ctx, 42, ""), ResultadoConta::Recusada);
        EXPECT_EQ(t.novosEventos(),
                  (Linhas{"Iniciando impressao da conta 42", "Conta não aceita pela impressora bar: " + motivo}));
        EXPECT_EQ(Status(42), "0");
        EXPECT_TRUE(t.banco.rs().eof());
    }
    falha.falhaEm.clear();
    falha.recusa = false;
    EXPECT_EQ(FechaConta(ctx, 42, ""), ResultadoConta::Impressa);
    EXPECT_EQ(Contas(), std::vector<Linhas>{kConta42});
    EXPECT_EQ(Status(42), "1");
}

TEST_F(Conta, ErroDoBancoNaoEAbafado) {
    Executa("Drop table pagamentos");
    EXPECT_THROW(Fecha(42), ErroBanco);
    EXPECT_EQ(Status(42), "0");
    const Linhas eventos = t.novosEventos();
    ASSERT_GE(eventos.size(), 2u);
    EXPECT_EQ(eventos.front(), "Iniciando impressao da conta 42");
    EXPECT_EQ(std::count(eventos.begin(), eventos.end(), "Bancos Fechados"), 0);
    EXPECT_TRUE(t.documentos("bar").empty());
}

}  // namespace
}  // namespace varelo
