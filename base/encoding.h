#pragma once
#include <string>

namespace varelo {

// The one boundary between the program's UTF-8 text and the Windows-1252
// bytes of the files exchanged with the handhelds.

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

}  // namespace varelo
