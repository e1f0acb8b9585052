#include "base/encoding.h"

#include <iconv.h>

#include <cstdint>
#include <memory>
#include <type_traits>

#include "base/errors.h"

namespace varelo {

namespace {

constexpr char32_t kSubstituto = 0xFFFD;

// Windows-1252 bytes 0x80..0x9F; the rest of the upper half is Latin-1.
// The five bytes the code page leaves undefined read as U+FFFD.
constexpr char32_t kFaixa80[32] = {
    0x20AC, kSubstituto, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, kSubstituto, 0x017D, kSubstituto,  // 88-8F
    kSubstituto, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, kSubstituto, 0x017E, 0x0178,  // 98-9F
};

void AcrescentaUtf8(std::string& saida, char32_t c) {
    if (c < 0x80) {
        saida += static_cast<char>(c);
    } else if (c < 0x800) {
        saida += static_cast<char>(0xC0 | (c >> 6));
        saida += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        saida += static_cast<char>(0xE0 | (c >> 12));
        saida += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        saida += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        saida += static_cast<char>(0xF0 | (c >> 18));
        saida += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        saida += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        saida += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one character at bytes[i]. Returns its length in bytes, or 0 when
// the bytes there are not a well-formed UTF-8 character (overlong forms,
// surrogates and values above U+10FFFF included).
std::size_t DecodificaUtf8(const std::string& bytes, std::size_t i, char32_t& c) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char b0 = b(i);
    std::size_t n;
    char32_t minimo;
    if (b0 < 0x80) {
        c = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        n = 2;
        c = b0 & 0x1F;
        minimo = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 3;
        c = b0 & 0x0F;
        minimo = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 4;
        c = b0 & 0x07;
        minimo = 0x10000;
    } else {
        return 0;
    }
    if (i + n > bytes.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (b(i + k) & 0x3F);
    }
    if (c < minimo || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return n;
}

char CaractereCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    if (c != kSubstituto)
        for (int k = 0; k < 32; ++k)
            if (kFaixa80[k] == c) return static_cast<char>(0x80 + k);
    return '?';
}

}  // namespace

std::string ParaCp1252(const std::string& utf8) {
    std::string saida;
    saida.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c;
        std::size_t n = DecodificaUtf8(utf8, i, c);
        if (n == 0) {
            // A byte that does not start a valid character is one unknown character.
            saida += '?';
            ++i;
            continue;
        }
        saida += CaractereCp1252(c);
        i += n;
    }
    return saida;
}

std::string ParaPaginaDeCodigo(const std::string& utf8, int pagina) {
    if (pagina == 1252) return ParaCp1252(utf8);
    if (pagina != 860 && pagina != 850 && pagina != 858)
        throw Erro("Página de código não suportada: " + std::to_string(pagina));
    const iconv_t aberto = ::iconv_open(("CP" + std::to_string(pagina)).c_str(), "UTF-8");
    if (aberto == reinterpret_cast<iconv_t>(-1)) throw Erro("Página de código indisponível: " + std::to_string(pagina));
    const std::unique_ptr<std::remove_pointer_t<iconv_t>, int (*)(iconv_t)> conversor(aberto, ::iconv_close);
    std::string saida;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c;
        const std::size_t n = DecodificaUtf8(utf8, i, c);
        // One character at a time, so that one the page lacks is one "?".
        std::string caractere = utf8.substr(i, n ? n : 1);
        char convertido[8];
        char* de = caractere.data();
        char* para = convertido;
        std::size_t restam = caractere.size(), livres = sizeof convertido;
        const bool feito =
            n > 0 && ::iconv(conversor.get(), &de, &restam, &para, &livres) != static_cast<std::size_t>(-1);
        saida += feito ? std::string(convertido, para) : "?";
        i += n ? n : 1;
    }
    return saida;
}

std::string DeCp1252(const std::string& bytes) {
    std::string saida;
    saida.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        const unsigned char b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            saida += ch;
        else if (b < 0xA0)
            AcrescentaUtf8(saida, kFaixa80[b - 0x80]);
        else
            AcrescentaUtf8(saida, b);
    }
    return saida;
}

bool EhUtf8Valido(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t c;
        std::size_t n = DecodificaUtf8(bytes, i, c);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string Utf8OuCp1252(const std::string& bytes) {
    return EhUtf8Valido(bytes) ? bytes : DeCp1252(bytes);
}

std::u16string ParaUtf16(const std::string& utf8) {
    std::u16string saida;
    saida.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c;
        const std::size_t n = DecodificaUtf8(utf8, i, c);
        if (n == 0) {
            saida.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        i += n;
        if (c >= 0x10000) {
            c -= 0x10000;
            saida.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            saida.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            saida.push_back(static_cast<char16_t>(c));
        }
    }
    return saida;
}

std::string ParaUtf8(const char16_t* texto, std::size_t n) {
    std::string saida;
    saida.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        char32_t c = texto[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && texto[i + 1] >= 0xDC00 && texto[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (texto[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = kSubstituto;
        }
        AcrescentaUtf8(saida, c);
    }
    return saida;
}

}  // namespace varelo
