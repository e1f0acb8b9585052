#pragma once
#include <cstddef>
#include <string>

namespace varelo {

// The one place that encodes text: the boundary between the program's UTF-8
// text and the Windows-1252 bytes of the files exchanged with the handhelds,
// and the UTF-16 of the database driver's wide calls.

// UTF-8 text to Windows-1252 bytes; a character with no Windows-1252 form
// becomes "?".
std::string ParaCp1252(const std::string& utf8);
// Windows-1252 bytes to UTF-8 text (the five undefined bytes map to U+FFFD).
std::string DeCp1252(const std::string& bytes);
// True when the bytes are valid UTF-8.
bool EhUtf8Valido(const std::string& bytes);
// Text from a file that should be UTF-8 but may come from an older
// installation: valid UTF-8 stays as is, anything else is read as Windows-1252.
std::string Utf8OuCp1252(const std::string& bytes);

// UTF-8 text to the bytes of a printer's code page: 860 (Portuguese), 850,
// 858 (850 with the euro) or 1252; a character the page lacks becomes "?".
// Throws Erro for another page.
std::string ParaPaginaDeCodigo(const std::string& utf8, int pagina);

// UTF-8 to UTF-16. A byte that does not start a well-formed character
// becomes one U+FFFD, so the result is always valid UTF-16 (a lone
// surrogate makes the server refuse a whole statement).
std::u16string ParaUtf16(const std::string& utf8);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ParaUtf8(const char16_t* texto, std::size_t n);

}  // namespace varelo
