#include "app/startup_settings.h"

#include <optional>

#include "base/errors.h"
#include "base/event_list.h"
#include "base/files.h"
#include "base/ini.h"
#include "base/platform.h"
#include "base/regional.h"
#include "base/user_store.h"
#include "core/activity_log.h"
#include "core/context.h"
#include "db/banco.h"

namespace varelo {
namespace {

constexpr const char* kSecaoSync = "VareloSync";
constexpr const char* kSecaoVarelo = "Varelo";

// A fixed-width text: padded with spaces on the right or cut to `largura`
// characters (counted as characters, not bytes).
std::string Justifica(const std::string& texto, std::size_t largura) {
    std::string saida;
    std::size_t caracteres = 0;
    for (std::size_t i = 0; i < texto.size() && caracteres < largura;) {
        std::size_t n = 1;
        const auto c = static_cast<unsigned char>(texto[i]);
        if (c >= 0xF0) n = 4; else if (c >= 0xE0) n = 3; else if (c >= 0xC0) n = 2;
        saida.append(texto, i, n);
        i += n;
        ++caracteres;
    }
    saida.append(largura - caracteres, ' ');
    return saida;
}

// A setting that must be a number but is not: the default is taken and the
// operator is told which key was wrong.
void AvisaValorInvalido(Contexto& ctx, const std::string& chave, const std::string& valor,
                        const std::string& padrao) {
    ctx.eventos.AdicionaEvento("Valor inválido na configuração " + chave + ": '" + valor +
                            "'. Usando " + padrao);
}

template <typename T, typename Conversao>
T Converte(Contexto& ctx, const std::string& chave, const std::string& valor, T padrao,
           Conversao conversao) {
    try {
        return conversao(valor);
    } catch (const Erro&) {
        AvisaValorInvalido(ctx, chave, valor, std::to_string(padrao));
        return padrao;
    }
}

// Removes one trailing separator, also the "\" of an older installation.
std::string SemSeparadorFinal(std::string pasta) {
    if (!pasta.empty() && (pasta.back() == '\\' || pasta.back() == '/')) pasta.pop_back();
    return pasta;
}

// The Valor of the first row of a Config query, or nothing without a row.
std::optional<std::string> ValorConfig(Contexto& ctx, const std::string& sql) {
    ctx.banco.AbreBanco(sql);
    std::optional<std::string> valor;
    if (!ctx.banco.rs().eof()) valor = ctx.banco.rs().campo("Valor").value_or("");
    ctx.banco.FechaBanco();
    return valor;
}

}  // namespace

namespace {

// A key of config.ini that may be missing, told apart from an empty value.
std::optional<std::string> ChaveOpcional(const std::string& secao, const std::string& chave,
                                         const std::string& ini) {
    const std::string ausente(1, '\x01');
    std::string valor = LeIni(secao, chave, ausente, ini);
    if (valor == ausente) return std::nullopt;
    return valor;
}

// The database password in a config.ini that every user of the machine may
// read: the operator is told once at start-up how to close it.
void AvisaSenhaExposta(Contexto& ctx, const std::string& ini) {
    if (ctx.cfg.credenciais.senha.value_or("").empty()) return;
    try {
        const Posse posse = ctx.arquivos.posse(ini);
        if (!(posse.modo & 04)) return;
        ctx.eventos.AdicionaEvento("config.ini guarda a senha do banco e pode ser lido por qualquer usuário (permissões " +
                                TextoPermissoes(posse.modo) + "): use chmod 640");
    } catch (const Erro& e) {
        ctx.eventos.AdicionaEvento(e.what());
    }
}

}  // namespace

std::string CaminhoConfigIni(const Contexto& ctx) {
    return Junta(ctx.pastaPrograma, "config.ini");
}

std::string TituloJanela() { return std::string("VareloSync ") + VARELO_VERSION; }

ResultadoCarga CarregaAjustesLocais(Contexto& ctx) {
    Configuracao& cfg = ctx.cfg;
    const std::string terminal = LeRegistro(ctx, kAplicacao, kSecaoRegistro, "Terminal", "0");
    const double numeroTerminal =
        Converte<double>(ctx, "Terminal", terminal, 0.0, [](const std::string& v) {
            return LeNumero(v);
        });
    if (numeroTerminal == 1.0) {
        ctx.mensagens.informa(
            "VareloSync",
            "Este micro é um terminal do sistema Varelo. O sincronizador do sistema só pode ser "
            "aberto no micro servidor. O sistema será finalizado agora.");
        return ResultadoCarga::Terminal;
    }
    cfg.EmHorario = false;

    const std::string ini = CaminhoConfigIni(ctx);
    cfg.txtPasta = LeIni(kSecaoSync, "PastaComanda", ctx.pastaPrograma, ini);
    cfg.IPServidor = LeIni(kSecaoVarelo, "IPServidor", ctx.pastaPrograma, ini);
    cfg.Driver = LeIni(kSecaoVarelo, "Driver", ctx.pastaPrograma, ini);
    cfg.credenciais = Credenciais{ChaveOpcional(kSecaoVarelo, "Usuario", ini),
                                  ChaveOpcional(kSecaoVarelo, "Senha", ini)};
    AvisaSenhaExposta(ctx, ini);
    cfg.Site = LeIni(kSecaoVarelo, "Site", "", ini);
    cfg.txtPasta = SemSeparadorFinal(cfg.txtPasta);
    cfg.txtImpressora = LeIni(kSecaoSync, "Impressora", "LPT1", ini);

    cfg.LinhaFim = Converte<std::int32_t>(
        ctx, "LinhaFim", LeRegistro(ctx, kAplicacao, kSecaoRegistro, "LinhaFim", "8"), 8,
        [](const std::string& v) { return ParaInteiro32(v); });
    cfg.ResumoContaPalm = Converte<std::int16_t>(
        ctx, "ResumoContaPalm",
        LeRegistro(ctx, kAplicacao, kSecaoRegistro, "ResumoContaPalm", "0"), 0,
        [](const std::string& v) { return ParaInteiro16(LeNumero(v)); });
    // The check box holds only 0 or 1; anything else shows as checked.
    if (cfg.ResumoContaPalm != 0) cfg.ResumoContaPalm = 1;
    cfg.FonteCupomCozinha =
        LeRegistro(ctx, kAplicacao, kSecaoRegistro, "FonteCupomCozinha", "Larabiefont");
    cfg.TamFonteCupomCozinha =
        LeRegistro(ctx, kAplicacao, kSecaoRegistro, "TamFonteCupomCozinha", "12");

    cfg.empresa.Nome = Justifica(LeRegistro(ctx, kAplicacao, kSecaoRegistro, "Nome", "Empresa"), 50);
    cfg.empresa.Endereco =
        Justifica(LeRegistro(ctx, kAplicacao, kSecaoRegistro, "Endereco", "Endereco"), 50);
    cfg.empresa.Cidade =
        Justifica(LeRegistro(ctx, kAplicacao, kSecaoRegistro, "Cidade", "Cidade"), 35);
    cfg.empresa.UF = Justifica(LeRegistro(ctx, kAplicacao, kSecaoRegistro, "UF", "Estado"), 2);
    return ResultadoCarga::Carregado;
}

void CarregaTabelaConfig(Contexto& ctx) {
    Configuracao& cfg = ctx.cfg;
    auto valor = ValorConfig(ctx, "Select * from config where variavel='LinhasInicio' ");
    cfg.LinhasInicio = 0;
    if (valor)
        cfg.LinhasInicio = Converte<std::int32_t>(
            ctx, "LinhasInicio", *valor, 0,
            [](const std::string& v) { return ParaInteiro32(ValorInicial(v)); });

    valor = ValorConfig(ctx, "Select * from config where variavel='GrupoCupom' ");
    cfg.GrupoCupom = valor && *valor == "1";

    cfg.AutoRecebFinal = 0;
    valor = ValorConfig(ctx, "Select * from config where variavel='AutoRecebFinal' ");
    if (valor)
        cfg.AutoRecebFinal = Converte<std::int32_t>(
            ctx, "AutoRecebFinal", *valor, 0,
            [](const std::string& v) { return ParaInteiro32(v); });

    cfg.qtdMinimo = Dinheiro();
    valor = ValorConfig(ctx, "Select * from config where variavel='qtdMinimo' ");
    if (valor) {
        std::string texto = *valor;
        for (char& c : texto)
            if (c == '.') c = ',';
        try {
            cfg.qtdMinimo = LeDinheiro(texto);
        } catch (const Erro&) {
            AvisaValorInvalido(ctx, "qtdMinimo", *valor, "0");
        }
    }

    valor = ValorConfig(ctx, "Select * from config where variavel='AutoImpressao' ");
    cfg.AutoImpressao = !valor || *valor == "1";

    valor = ValorConfig(ctx, "Select * from config where variavel='ImpSeparado'");
    cfg.ImpSeparado = valor && *valor == "1";
}

void GravaPastaComanda(Contexto& ctx) {
    if (!GravaIni(kSecaoSync, "PastaComanda", ctx.cfg.txtPasta, CaminhoConfigIni(ctx)))
        ctx.eventos.AdicionaEvento("Não foi possível gravar " + CaminhoConfigIni(ctx));
}

void GravaImpressora(Contexto& ctx) {
    if (!GravaIni(kSecaoSync, "Impressora", ctx.cfg.txtImpressora, CaminhoConfigIni(ctx)))
        ctx.eventos.AdicionaEvento("Não foi possível gravar " + CaminhoConfigIni(ctx));
}

void GravaResumoContaPalm(Contexto& ctx) {
    GravaRegistro(ctx, kAplicacao, kSecaoRegistro, "ResumoContaPalm",
                  ctx.cfg.ResumoContaPalm ? "1" : "0");
}

}  // namespace varelo
