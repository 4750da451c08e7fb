// Texts of the window descriptions are Windows-1252 bytes; at run time every text is a wide string.
#pragma once

#include <string>
#include <string_view>

namespace rt {

// Decodes Windows-1252 bytes to a wide string. The five bytes that the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same value,
// as Windows does.
std::wstring fromCp1252(std::string_view bytes);

// UTF-8 for logs and test messages.
std::string toUtf8(std::wstring_view text);

}  // namespace rt
