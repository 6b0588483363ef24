#pragma once
// Windows-1252 <-> UTF-16 for the window: the core keeps single-byte texts, widgets show
// Unicode. Every byte maps to one UTF-16 unit and back, so a text shown and taken back
// from a widget keeps its bytes; the five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 controls of the same value.
#include <string>
#include <string_view>

namespace dorive {

char16_t cp1252ToUnicode(unsigned char byte);
std::u16string decodeCp1252(std::string_view bytes);
// Characters outside the code page become `replacement`; one byte per UTF-16 unit, so
// positions in the text stay the same.
std::string encodeCp1252(std::u16string_view text, char replacement = '?');

}  // namespace dorive
