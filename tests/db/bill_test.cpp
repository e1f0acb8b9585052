// Bills: the page that reaches the bill printer line by line, the
// statements sent, the closing mark on the comanda, the event list and what
// a failing printer leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/errors.h"
#include "db/banco.h"
#include "printing/bill.h"
#include "printing/printing_system.h"
#include "tests/support/delegating_printer.h"
#include "tests/support/test_context.h"

namespace varelo {
namespace {

namespace fs = std::filesystem;
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
    std::size_t inicio = 0;
    while (inicio < texto.size()) {
        const std::size_t fim = texto.find('\n', inicio);
        linhas.push_back(texto.substr(inicio, fim - inicio));
        if (fim == std::string::npos) break;
        inicio = fim + 1;
    }
    return linhas;
}

// Comanda 42 as the fixture opens it, at 05/03/2024 19:30:05.
const Linhas kCabecalho = {"Restaurante Sabor",
                           "Rua das Palmeiras, 10",
                           "Recife - PE",
                           "Venda No  314",
                           "05/03/2024 - 19:30:05",
                           "Comanda:  42",
                           "Chegada : 05/03/2024 18:02:09",
                           "Saida:    05/03/2024 19:30:05",
                           D46,
                           "Descricao                QTDExUNIT       VALOR",
                           D46};

// The four item lines of the fixture's comanda: subtotal 100,00.
const Linhas kItens = {"Filé à parmegiana           3x  10,00    30,00",
                       "Filé à parmegiana           1x  12,00    12,00",
                       "Refrigerante lata           1x   5,00     5,00",
                       "Costela bovina assada n     1x  53,00    53,00"};

// Everything after the occupants and waiter lines, with LinhaFim 2.
const Linhas kRodape = {"",
                        D46,
                        "",
                        "       Este cupom não tem valor fiscal",
                        "",
                        "           Obrigado pela Preferencia",
                        "",
                        "                 Volte sempre",
                        D48,
                        "Varelo Tecnologia - www.exemplo.com.br",
                        " ",
                        " "};

// A printing system that throws while printing the line that starts with
// `falhaEm`, as a printer that went offline mid-page would.
class ImpressaoQueFalha final : public ImpressaoDelegada {
public:
    using ImpressaoDelegada::ImpressaoDelegada;
    std::string falhaEm;

    void imprime(const std::string& texto) override {
        if (!falhaEm.empty() && texto.rfind(falhaEm, 0) == 0) throw Erro("Impressora desligada");
        real_.imprime(texto);
    }
    bool terminaDocumento() override { return recusa ? false : real_.terminaDocumento(); }
    std::string ultimoErro() const override { return recusa ? "fila parada" : real_.ultimoErro(); }
    bool recusa = false;
};

class Conta : public ::testing::Test {
protected:
    void SetUp() override {
        ContextoTeste::LimpaBanco();
        t.relogio.define(DataHora{2024, 3, 5, 19, 30, 5});
        t.ctx.cfg.Site = "www.exemplo.com.br";
        t.ctx.cfg.LinhaFim = 2;
        t.ctx.cfg.FonteCupomCozinha = "Courier New";
        t.ctx.cfg.TamFonteCupomCozinha = "12";
        t.ctx.cfg.empresa = {"  Restaurante Sabor  ", "Rua das Palmeiras, 10   ", " Recife", "PE"};
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
        FechaConta(t.ctx, comanda, caminho);
    }

    // The documents ended on one printer, oldest first, as lines.
    std::vector<Linhas> Documentos(const std::string& impressora) {
        std::vector<Linhas> docs;
        for (const auto& texto : t.documentos(impressora)) docs.push_back(Separa(texto));
        return docs;
    }
    // The one bill printed on the bill printer.
    Linhas Unica() {
        const auto docs = Documentos("bar");
        EXPECT_EQ(docs.size(), 1u);
        return docs.empty() ? Linhas{} : docs.front();
    }
    // The lines of the bill between the item lines and the footer.
    Linhas Totais() {
        const Linhas conta = Unica();
        const auto inicio = std::find(conta.begin(), conta.end(), "Subtotal" + std::string(32, ' ') + "100,00");
        const auto fim = std::find(conta.begin(), conta.end(), " ");
        if (inicio == conta.end() || fim == conta.end()) return conta;
        return Linhas(inicio, fim);
    }
    std::string Status(int comanda) {
        const auto v = t.consulta("Select Status from Comanda where Comanda = " + std::to_string(comanda), "Status");
        return v.empty() ? "sem linha" : v.front();
    }

    ContextoTeste t;
    std::vector<std::string> enviados;
};

TEST_F(Conta, ExemploCompletoLinhaALinha) {
    Fecha(42);

    EXPECT_EQ(Unica(), (kCabecalho + kItens +
                           Linhas{D46,
                                  "Subtotal                                100,00",
                                  "Couvert                                  10,00",
                                  "Servico            10%                   10,00",
                                  D46,
                                  "TOTAL A PAGAR                           120,00",
                                  " ",
                                  "Ocupantes: 2  Valor por pessoa: 60,00",
                                  "Garcon   : Ana"} +
                           kRodape));
    EXPECT_EQ(t.pasta.le("impressoras/bar/000001.font"), "Larabiefont\n8\nTrue\n");
    EXPECT_TRUE(Documentos("default").empty());

    const std::string produto = "Select Descricao, servico from Produtos where Codigo = ";
    EXPECT_EQ(enviados, (Linhas{"select * from cadcomanda where numero = 42",
                                "Update Comanda Set Status=1 where comanda = 42",
                                "Select sum(valor) as TotalPago from pagamentos where comanda= 42",
                                "Select * from Comanda where comanda = 42",
                                "Select * from ItemComanda where comanda = 42 Order by idProduto",
                                produto + "7", produto + "7", produto + "7", produto + "9",
                                produto + "12", "Select * from Comanda where comanda = 42"}));
    EXPECT_EQ(Status(42), "1");
    EXPECT_EQ(t.novosEventos(),
              (Linhas{"Iniciando impressao da conta 42", "Fim da impressao da conta 42"}));
}

TEST_F(Conta, SemImpressoraDeContaNadaAconteceAlemDoAviso) {
    Ajuste("ImpCupom", "Não Imprimir");
    Fecha(42);
    EXPECT_EQ(t.novosEventos(), Linhas{"Iniciando impressao da conta 42"});
    EXPECT_TRUE(enviados.empty());
    EXPECT_EQ(Status(42), "0");
    EXPECT_TRUE(Documentos("bar").empty());
    EXPECT_TRUE(Documentos("default").empty());
}

TEST_F(Conta, AjusteAusenteTambemNaoImprime) {
    ContextoTeste outro;
    outro.armazem.grava("Varelo", "Config", "Servico", "10");
    FechaConta(outro.ctx, 42, "");
    EXPECT_EQ(outro.novosEventos(), Linhas{"Iniciando impressao da conta 42"});
    EXPECT_EQ(Status(42), "0");
}

TEST_F(Conta, MesmoProdutoSoSeJuntaNoMesmoPrecoESeguido) {
    Executa("Delete from ItemComanda");
    // Three rows of product 7: the server returns them in this order.
    Executa("Insert into ItemComanda (idlanc, Comanda, idProduto, qtde, valor) values "
            "(1,42,7,1,10.00),(2,42,7,0.5,12.00),(3,42,7,2,10.00),(4,42,9,1.5,5.00),(5,42,9,1,5.00)");
    const auto ordem = t.consulta("Select * from ItemComanda where comanda = 42 Order by idProduto", "idlanc");
    ASSERT_EQ(ordem, (Linhas{"1", "2", "3", "4", "5"})) << "the server sorted differently";
    Fecha(42);
    const Linhas conta = Unica();
    ASSERT_GE(conta.size(), 16u);
    EXPECT_EQ(Linhas(conta.begin() + 11, conta.begin() + 16),
              (Linhas{"Filé à parmegiana           1x  10,00    10,00",
                      "Filé à parmegiana         0,5x  12,00     6,00",
                      "Filé à parmegiana           2x  10,00    20,00",
                      "Refrigerante lata         2,5x   5,00    12,50", D46}));
    EXPECT_EQ(conta[16], "Subtotal                                 48,50");
}

TEST_F(Conta, DescontoZeroECouvertZeroGravadosNaComanda) {
    Executa("Update Comanda set Desconto = 0, Couvert = 0 where Comanda = 42");
    Fecha(42);
    EXPECT_EQ(Totais(), (Linhas{"Subtotal                                100,00",
                                "Servico            10%                   10,00", D46,
                                "TOTAL A PAGAR                           110,00"}));
}

TEST_F(Conta, DescontoECobrancasDaPropriaComanda) {
    Executa("Update Comanda set Desconto = 7.5, Couvert = 3, Servico = 8.25 where Comanda = 42");
    Fecha(42);
    EXPECT_EQ(Totais(), (Linhas{"Subtotal                                100,00",
                                "Couvert                                   3,00",
                                "Servico            10%                    8,25",
                                "Desconto                                  7,50", D46,
                                "TOTAL A PAGAR                           103,75"}));
    const Linhas conta = Unica();
    EXPECT_NE(std::find(conta.begin(), conta.end(), "Ocupantes: 2  Valor por pessoa: 51,88"), conta.end());
}

TEST_F(Conta, CartaoSemTaxaDeServicoNaoCobraNemOValorDaComanda) {
    Executa("Update cadcomanda set TaxaServico = 'N' where Numero = 42");
    Executa("Update Comanda set Servico = 9 where Comanda = 42");
    Fecha(42);
    EXPECT_EQ(Totais(), (Linhas{"Subtotal                                100,00",
                                "Couvert                                  10,00", D46,
                                "TOTAL A PAGAR                           110,00"}));
}

TEST_F(Conta, ServicoSoSobreProdutosMarcadosEComandaSemCartao) {
    Executa("Delete from cadcomanda");
    // 20 does not take service; 21 has no description; 99 does not exist
    // and is left out of the service base.
    Executa("Insert into ItemComanda (Comanda, idProduto, qtde, valor) values "
            "(42,20,1,40.00),(42,21,1,2.00),(42,99,2,3.00)");
    Fecha(42);
    const Linhas conta = Unica();
    ASSERT_GE(conta.size(), 20u);
    EXPECT_EQ(Linhas(conta.begin() + 15, conta.begin() + 20),
              (Linhas{"Vinho da casa               1x  40,00    40,00",
                      "                            1x   2,00     2,00",
                      "Produto não encontrado      2x   3,00     6,00", D46,
                      "Subtotal                                148,00"}));
    // 10% of 100 + 2: the wine and the missing product take no service.
    EXPECT_EQ(conta[21], "Servico            10%                   10,20");
    EXPECT_EQ(conta[23], "TOTAL A PAGAR                           168,20");
}

TEST_F(Conta, PagamentoFeito) {
    Executa("Insert into pagamentos (Comanda, valor, tipo) values (42, 50, 'Dinheiro'),(41, 99, 'Pix')");
    Fecha(42);
    EXPECT_EQ(Totais(), (Linhas{"Subtotal                                100,00",
                                "Couvert                                  10,00",
                                "Servico            10%                   10,00",
                                "TOTAL                                   120,00",
                                "",
                                "PAGAMENTOS: ",
                                "Dinheiro                                 50,00",
                                "TOTAL PAGO                               50,00", D46,
                                "TOTAL A PAGAR                            70,00"}));
    const Linhas conta = Unica();
    EXPECT_NE(std::find(conta.begin(), conta.end(), "Ocupantes: 2  Valor por pessoa: 35,00"), conta.end());
    EXPECT_EQ(enviados.back(), "Select * from pagamentos where Comanda = 42");
}

TEST_F(Conta, PedidoDoPalmMostraQuemPediu) {
    const std::string caminho = t.pedido("FECHACONTA42.txt", "João\r\noutra linha\r\n");
    Fecha(42, caminho);
    const Linhas conta = Unica();
    ASSERT_GE(conta.size(), 25u);
    EXPECT_EQ(Linhas(conta.begin() + 22, conta.begin() + 25),
              (Linhas{"Ocupantes: 2  Valor por pessoa: 60,00", "Pedido de conta feito por ",
                      "Garcon   : João"}));
    EXPECT_EQ(conta.size(), kCabecalho.size() + kItens.size() + 10 + kRodape.size());
    // The request file is the caller's to remove.
    EXPECT_TRUE(t.arquivos.podeLer(caminho));
}

TEST_F(Conta, PedidoIlegivelMostraOGarcomDaComanda) {
    Fecha(42, t.comanda("FECHACONTA42.txt"));  // no such file: five attempts, then nothing
    EXPECT_EQ(t.relogio.esperas().size(), 5u);
    const Linhas conta = Unica();
    EXPECT_NE(std::find(conta.begin(), conta.end(), "Garcon   : Ana"), conta.end());
    EXPECT_EQ(std::find(conta.begin(), conta.end(), "Pedido de conta feito por "), conta.end());
}

TEST_F(Conta, SemOcupantesOuComZero) {
    Executa("Update Comanda set Ocupantes = Null, Garcon = Null where Comanda = 42");
    Fecha(42);
    Linhas conta = Unica();
    // Without occupants the cover is charged once.
    EXPECT_NE(std::find(conta.begin(), conta.end(), "Couvert                                   5,00"), conta.end());
    auto espaco = std::find(conta.begin(), conta.end(), " ");
    ASSERT_NE(espaco, conta.end());
    EXPECT_EQ(*(espaco + 1), "Garcon   : ");

    Executa("Update Comanda set Ocupantes = 0 where Comanda = 42");
    Fecha(42);
    const auto docs = Documentos("bar");
    ASSERT_EQ(docs.size(), 2u);
    conta = docs[1];
    EXPECT_EQ(std::find(conta.begin(), conta.end(), "Couvert                                   5,00"), conta.end());
    espaco = std::find(conta.begin(), conta.end(), " ");
    ASSERT_NE(espaco, conta.end());
    EXPECT_EQ(*(espaco + 1), "Ocupantes: 0");
    EXPECT_EQ(t.novosEventos().back(), "Fim da impressao da conta 42");
}

TEST_F(Conta, ServicoDaComandaSemPercentualAindaApareceNaConta) {
    Ajuste("Servico", "0");
    Executa("Update Comanda set Servico = 4 where Comanda = 42");
    Fecha(42);
    EXPECT_EQ(Totais(), (Linhas{"Subtotal                                100,00",
                                "Couvert                                  10,00",
                                "Servico            0%                     4,00", D46,
                                "TOTAL A PAGAR                           114,00"}));
}

TEST_F(Conta, PercentualComServicoZeradoNaComanda) {
    Ajuste("Servico", "12,5");
    Executa("Update Comanda set Servico = 0 where Comanda = 42");
    Fecha(42);
    EXPECT_EQ(Totais(), (Linhas{"Subtotal                                100,00",
                                "Couvert                                  10,00",
                                "Servico            12,5%                  0,00", D46,
                                "TOTAL A PAGAR                           110,00"}));
}

TEST_F(Conta, ValoresLargosNaoPerdemDigitos) {
    Executa("Delete from ItemComanda");
    Executa("Insert into ItemComanda (Comanda, idProduto, qtde, valor) values (42,9,12.125,1234.5)");
    Fecha(42);
    const Linhas conta = Unica();
    ASSERT_GE(conta.size(), 12u);
    EXPECT_EQ(conta[11], "Refrigerante lata       12,125x 1.234,50 14.968,31");
}

TEST_F(Conta, ComandaSemLinhaMarcaNadaEImprimeNada) {
    Fecha(43);
    EXPECT_EQ(enviados, (Linhas{"select * from cadcomanda where numero = 43",
                                "Update Comanda Set Status=1 where comanda = 43",
                                "Select sum(valor) as TotalPago from pagamentos where comanda= 43",
                                "Select * from Comanda where comanda = 43"}));
    EXPECT_EQ(t.novosEventos(), Linhas{"Iniciando impressao da conta 43"});
    EXPECT_EQ(t.impressao.impressoraAtual(), "bar");
    EXPECT_TRUE(Documentos("bar").empty());
    EXPECT_EQ(Status(42), "0");
}

class ContaComFalha : public Conta {
protected:
    ContaComFalha()
        : falha(t.impressao),
          ctx{t.relogio, t.arquivos, t.armazem, t.eventos, t.impressos, t.banco, t.mensagens,
              t.timer1, t.processos, t.executor, falha} {
        ctx.cfg = t.ctx.cfg;
    }
    void SetUp() override {
        Conta::SetUp();
        ctx.cfg = t.ctx.cfg;
    }
    ImpressaoQueFalha falha;
    Contexto ctx;
};

TEST_F(ContaComFalha, ImpressoraQueCaiNoMeioEncerraAContaIncompleta) {
    falha.falhaEm = "Subtotal";
    FechaConta(ctx, 42, "");
    EXPECT_EQ(t.novosEventos(),
              (Linhas{"Iniciando impressao da conta 42", "Erro fechamento conta: Impressora desligada",
                      "Fechando os Bancos apos impressao", "Bancos Fechados"}));
    EXPECT_EQ(Status(42), "1");
    // What was printed goes out on the bill printer by itself...
    EXPECT_EQ(Unica(), (kCabecalho + kItens + Linhas{D46}));

    // ...and the next document holds nothing of it.
    falha.falhaEm.clear();
    FechaConta(ctx, 42, "");
    const auto docs = Documentos("bar");
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_EQ(Linhas(docs[1].begin(), docs[1].begin() + 11), kCabecalho);
    EXPECT_EQ(docs[1].back(), " ");
    EXPECT_EQ(t.novosEventos().back(), "Fim da impressao da conta 42");
}

TEST_F(ContaComFalha, DocumentoRecusadoPelaImpressora) {
    falha.recusa = true;
    FechaConta(ctx, 42, "");
    EXPECT_EQ(t.novosEventos(),
              (Linhas{"Iniciando impressao da conta 42", "Erro fechamento conta: fila parada",
                      "Fechando os Bancos apos impressao", "Bancos Fechados"}));
    EXPECT_EQ(Status(42), "1");
    EXPECT_TRUE(t.banco.rs().eof());
}

TEST_F(Conta, ErroDoBancoNaoEAbafado) {
    Executa("Drop table pagamentos");
    EXPECT_THROW(Fecha(42), ErroBanco);
    EXPECT_EQ(Status(42), "1");
    const Linhas eventos = t.novosEventos();
    ASSERT_GE(eventos.size(), 2u);
    EXPECT_EQ(eventos.front(), "Iniciando impressao da conta 42");
    EXPECT_EQ(std::count(eventos.begin(), eventos.end(), "Bancos Fechados"), 0);
    EXPECT_TRUE(Documentos("bar").empty());
}

}  // namespace
}  // namespace varelo
