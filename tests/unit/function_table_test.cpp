// The pure functions (money, regional formats, encodings, columns, request
// fields, command line) against the table in functions.txt. Each line:
//
//   FUNCTION | ARG | ARG ... => RESULT
//
// with the escapes of the case files in arguments and results (\s a space,
// \xHH a byte; "let NAME = TEXT [* N]" makes $NAME, in any argument or
// result below, stand for TEXT, N times over);
// spaces around " | " and after "=>" are separators, others are text.
// Money is written in ten-thousandths, numbers as the shortest text that
// reads back the same, and "! MESSAGE" is an Erro thrown.
#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>

#include "app/command_line.h"
#include "base/encoding.h"
#include "base/errors.h"
#include "base/files.h"
#include "base/ini.h"
#include "base/record.h"
#include "base/regional.h"
#include "base/text_columns.h"
#include "base/user_store.h"
#include "core/account_totals.h"
#include "db/banco.h"
#include "db/sql.h"
#include "printing/escpos.h"
#include "printing/labels.h"
#include "printing/layout.h"
#include "tests/support/case_file.h"
#include "tests/support/manual_clock.h"
#include "tests/support/program_run.h"
#include "tests/support/scratch_dir.h"

namespace varelo {
namespace {

using A = std::vector<std::string>;

Dinheiro D(const std::string& t) { return Dinheiro::deDezMilesimos(std::stoll(t)); }
std::string T(Dinheiro d) { return std::to_string(d.dezMilesimos()); }
std::string T(double v) {
    char b[40];
    return std::string(b, std::to_chars(b, b + sizeof b, v).ptr);
}
std::string T(long v) { return std::to_string(v); }
std::string T(bool v) { return v ? "true" : "false"; }
double N(const std::string& t) { return std::stod(t); }

std::string Hex16(const std::u16string& s) {
    std::string r;
    for (char16_t c : s) {
        char b[8];
        std::snprintf(b, sizeof b, "%s%04X", r.empty() ? "" : " ", static_cast<unsigned>(c));
        r += b;
    }
    return r;
}

// The eight fields, trailing empty ones left out, joined by "|"; after a
// refusal, "! MESSAGE " before the fields filled so far.
std::string Campos(const std::string& linha) {
    std::array<std::string, 8> c;
    std::string r;
    try {
        ParseToArrayPvirg(linha, c);
    } catch (const Erro& e) {
        r = "! " + std::string(e.what()) + " ";
    }
    std::size_t n = c.size();
    while (n > 0 && c[n - 1].empty()) --n;
    for (std::size_t i = 0; i < n; ++i) r += (i ? "|" : "") + c[i];
    return r;
}

// A scratch config.ini holding `conteudo` ("(none)": no file).
std::string ArquivoIni(const std::string& conteudo) {
    static const PastaTemporaria pasta;
    std::filesystem::remove(pasta.arquivo("config.ini"));
    return conteudo == "(none)" ? pasta.arquivo("config.ini") : pasta.escreve("config.ini", conteudo);
}

// The first line of a request file holding a[0] ("(none)": no file;
// "(folder)": a folder of that name) and the waits of the reading, in ms;
// a[2] is written when wait a[1] ends.
std::string Leitura(const A& a) {
    const PastaTemporaria pasta;
    const std::string arquivo = pasta.arquivo("INCLUSAO42.txt");
    if (a[0] == "(folder)") std::filesystem::create_directory(arquivo);
    else if (a[0] != "(none)") pasta.escreve("INCLUSAO42.txt", a[0]);
    ArquivosDisco disco;
    RelogioManual relogio;
    relogio.aoEsperar([&](std::size_t n) {
        if (a.size() > 1 && n == std::stoul(a[1])) pasta.escreve("INCLUSAO42.txt", a[2]);
    });
    std::string r = LeArquivo(disco, relogio, arquivo) + " | waits";
    for (auto ms : relogio.esperas()) r += " " + std::to_string(ms.count());
    return r;
}

std::string Opcoes(const A& a) {
    const OpcoesLinha o = LeOpcoes(a);
    return "home=" + o.home + " print-to=" + o.imprimePara + " headless=" + T(o.headless) +
           " help=" + T(o.ajuda) + " version=" + T(o.versao) + " erro=" + o.erro;
}

const std::map<std::string, std::function<std::string(const A&)>> kFuncoes = {
    {"LeDinheiro", [](const A& a) { return T(LeDinheiro(a[0])); }},
    {"ParaInteiro32", [](const A& a) { return T(long{ParaInteiro32(a[0])}); }},
    {"ParaInteiro32.double", [](const A& a) { return T(long{ParaInteiro32(N(a[0]))}); }},
    {"ParaInteiro16", [](const A& a) { return T(long{ParaInteiro16(a[0])}); }},
    {"ParaInteiro16.double", [](const A& a) { return T(long{ParaInteiro16(N(a[0]))}); }},
    {"ValorInicial", [](const A& a) { return T(ValorInicial(a[0])); }},
    {"Formata", [](const A& a) { return Formata(D(a[0]), a[1]); }},
    {"Formata.double", [](const A& a) { return Formata(N(a[0]), a[1]); }},
    {"TextoPadrao", [](const A& a) { return TextoPadrao(D(a[0])); }},
    {"TextoPadrao.double", [](const A& a) { return TextoPadrao(N(a[0])); }},
    {"TextoPadrao.relido", [](const A& a) { return T(LeDinheiro(TextoPadrao(N(a[0])))); }},
    {"deUnidades", [](const A& a) { return T(Dinheiro::deUnidades(std::stoll(a[0]))); }},
    {"deDouble", [](const A& a) { return T(Dinheiro::deDouble(N(a[0]))); }},
    {"+", [](const A& a) { return T(D(a[0]) + D(a[1])); }},
    {"-", [](const A& a) { return a.size() == 1 ? T(-D(a[0])) : T(D(a[0]) - D(a[1])); }},
    {"*", [](const A& a) { return T(D(a[0]) * D(a[1])); }},
    {"/", [](const A& a) { return T(D(a[0]) / D(a[1])); }},
    {"arredonda", [](const A& a) { return T(D(a[0]).arredonda(std::stoi(a[1]))); }},
    {"ArredondaPar", [](const A& a) { return T(ArredondaPar(N(a[0]))); }},
    {"DeCp1252", [](const A& a) { return DeCp1252(a[0]); }},
    {"ParaCp1252", [](const A& a) { return ParaCp1252(a[0]); }},
    {"EstadoDaFila", [](const A& a) { return LinhaDeEstado("F", EstadoDaFila(a[0], a[1], a[2])); }},
    {"ParaPaginaDeCodigo", [](const A& a) { return ParaPaginaDeCodigo(a[0], std::stoi(a[1])); }},
    {"DocumentoEscPos", [](const A& a) {
         const ImpressoraDireta impressora{"", "", 48, std::stoi(a[0])};
         return DocumentoEscPos(A(a.begin() + 3, a.end()), impressora, a[1] == "negrito", std::stof(a[2]));
     }},
    {"LeImpressoras", [](const A& a) {
         std::vector<std::pair<std::string, std::string>> secao;
         for (const std::string& p : a) secao.emplace_back(p.substr(0, p.find('=')), p.substr(p.find('=') + 1));
         A erros;
         const ImpressorasConfiguradas lidas = LeImpressoras(secao, erros);
         std::string r;
         for (const ImpressoraDireta& d : lidas.diretas)
             r += d.nome + " " + d.endereco + " " + T(long{d.colunas}) + " " + T(long{d.paginaDeCodigo}) + "; ";
         for (const auto& [de, reserva] : lidas.reservas) r += de + ".Reserva=" + reserva + "; ";
         for (const std::string& e : erros) r += e + "; ";
         return r;
     }},
    {"EhUtf8Valido", [](const A& a) { return T(EhUtf8Valido(a[0])); }},
    {"Utf8OuCp1252", [](const A& a) { return Utf8OuCp1252(a[0]); }},
    {"ParaUtf16", [](const A& a) { return Hex16(ParaUtf16(a[0])); }},
    {"ParaUtf8", [](const A& a) {
         std::u16string s;
         for (std::size_t i = 0; i < a[0].size(); i += 5) s += static_cast<char16_t>(std::stoi(a[0].substr(i, 4), nullptr, 16));
         return ParaUtf8(s.data(), s.size());
     }},
    {"Largura", [](const A& a) { return T(static_cast<long>(Largura(a[0]))); }},
    {"Esquerda", [](const A& a) { return Esquerda(a[0], std::stoul(a[1])); }},
    {"CompletaAte", [](const A& a) { return CompletaAte(a[0], std::stoul(a[1])); }},
    {"Apara", [](const A& a) { return Apara(a[0]); }},
    {"Pad", [](const A& a) { return Pad(a[0], std::stoul(a[1])); }},
    {"LinhaAlinhada", [](const A& a) { return LinhaAlinhada(a[0], a[1], std::stoul(a[2])); }},
    {"Centraliza", [](const A& a) {
         auto largura = static_cast<std::int16_t>(std::stoi(a[1]));
         const std::string texto = Centraliza(a[0], largura);
         return texto + "|" + std::to_string(largura);
     }},
    {"DinheiroDoBanco", [](const A& a) { return T(DinheiroDoBanco(a[0])); }},
    {"CalculaServico", [](const A& a) { return T(CalculaServico(D(a[0]), D(a[1]))); }},
    {"TotalAPagar", [](const A& a) { return T(TotalAPagar(D(a[0]), {D(a[1]), D(a[2]), D(a[3])}, D(a[4]))); }},
    {"Campos", [](const A& a) { return Campos(a[0]); }},
    {"VirgulaParaPonto", [](const A& a) { return VirgulaParaPonto(a[0]); }},
    {"PontoParaVirgula", [](const A& a) { return PontoParaVirgula(a[0]); }},
    {"TextoPermissoes", [](const A& a) { return TextoPermissoes(std::stoul(a[0], nullptr, 8)); }},
    {"DescreveFalha", [](const A& a) { return DescreveFalha(std::stoi(a[0]), a[1]); }},
    {"LeOpcoes", Opcoes},
    {"CaminhoEtiqueta", [](const A& a) { return CaminhoEtiqueta(a[0], a[1]); }},
    {"LeArquivo", Leitura},
    {"TextoConexao", [](const A& a) {
         auto opcional = [](const std::string& v) { return v == "(none)" ? std::nullopt : std::optional(v); };
         return TextoConexao(a[0], a[1], a.size() > 2 ? Credenciais{opcional(a[2]), opcional(a[3])} : Credenciais{});
     }},
    {"PastaPadrao", [](const A& a) {  // HOME | XDG_CONFIG_HOME ("(none)": unset), then put back
         const auto define = [](const char* n, const std::optional<std::string>& v) {
             v ? ::setenv(n, v->c_str(), 1) : ::unsetenv(n);
         };
         std::map<const char*, std::optional<std::string>> antes;
         for (const char* n : {"HOME", "XDG_CONFIG_HOME"})
             antes[n] = std::getenv(n) ? std::optional<std::string>(std::getenv(n)) : std::nullopt;
         define("HOME", a[0]);
         define("XDG_CONFIG_HOME", a[1] == "(none)" ? std::nullopt : std::optional(a[1]));
         const std::string pasta = ArmazemIni::PastaPadrao();
         for (const auto& [n, v] : antes) define(n, v);
         return pasta;
     }},
    {"LeIni", [](const A& a) { return LeIni(a[1], a[2], a[3], ArquivoIni(a[0])); }},
    {"GravaIni", [](const A& a) {
         const std::string ini = ArquivoIni(a[0]);
         const bool gravou = GravaIni(a[1], a[2], a[3], ini);
         return (gravou ? "" : "false ") + Le(ini);
     }},
    {"EscapaSql", [](const A& a) { return EscapaSql(a[0], a[1] == "NO_BACKSLASH_ESCAPES"); }},
    {"EhNumeroSql", [](const A& a) { return T(EhNumeroSql(a[0])); }},
    {"EhInteiroSql", [](const A& a) { return T(EhInteiroSql(a[0])); }},
    {"PerdaDeConexao", [](const A& a) { return T(ErroBanco(std::stol(a[0]), "", a[1]).perdaDeConexao()); }},
};

// Splits at every `sep`.
A Separa(const std::string& s, const std::string& sep) {
    A partes;
    std::size_t de = 0;
    for (std::size_t p; (p = s.find(sep, de)) != std::string::npos; de = p + sep.size())
        partes.push_back(s.substr(de, p - de));
    partes.push_back(s.substr(de));
    return partes;
}

TEST(Funcoes, Tabela) {
    const std::string arquivo = casos::DoProjeto("tests/unit/functions.txt");
    std::ifstream entrada(arquivo);
    ASSERT_TRUE(entrada) << arquivo;
    int casosLidos = 0;
    std::map<std::string, std::string> variaveis;
    std::string linha;
    for (int n = 1; std::getline(entrada, linha); ++n) {
        if (linha.empty() || linha[0] == '#') continue;
        const std::size_t seta = linha.rfind(" =>");
        if (linha.rfind("let ", 0) == 0) {
            const std::size_t igual = linha.find(" = "), vezes = linha.find(" * ", igual);
            const std::string texto = casos::Desescapa(linha.substr(igual + 3, vezes - igual - 3));
            std::string& valor = variaveis["$" + linha.substr(4, igual - 4)];
            const int n = vezes == std::string::npos ? 1 : std::stoi(linha.substr(vezes + 3));
            for (int i = 0; i < n; ++i) valor += texto;
            continue;
        }
        ASSERT_NE(seta, std::string::npos) << arquivo << ":" << n;
        // The escapes resolved, then each $NAME replaced (a longer name
        // before one it starts with).
        const auto expande = [&](std::string texto) {
            texto = casos::Desescapa(texto);
            for (auto v = variaveis.rbegin(); v != variaveis.rend(); ++v)
                texto = casos::Troca(texto, v->first, v->second);
            return texto;
        };
        const std::string esperado = expande(linha.substr(seta + 3 + (linha.compare(seta + 3, 1, " ") == 0)));
        A args = Separa(linha.substr(0, seta), " | ");
        const std::string nome = args[0];
        args.erase(args.begin());
        for (std::string& a : args) a = expande(a);
        const auto f = kFuncoes.find(nome);
        ASSERT_NE(f, kFuncoes.end()) << arquivo << ":" << n << ": no function " << nome;
        std::string obtido;
        try {
            obtido = f->second(args);
        } catch (const Erro& e) {
            obtido = "! " + std::string(e.what());
        }
        EXPECT_EQ(obtido, esperado) << arquivo << ":" << n << ": " << linha;
        ++casosLidos;
    }
    EXPECT_GT(casosLidos, 200);
}

}  // namespace
}  // namespace varelo
