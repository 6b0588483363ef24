#include "text/cp1252.h"

#include <array>

namespace dorive {

namespace {
// 0x80..0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kHigh = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int encodeOne(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == c) return int(0x80 + i);
    return -1;
}
}  // namespace

char16_t cp1252ToUnicode(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : char16_t(byte);
}

std::u16string decodeCp1252(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char b : bytes) out.push_back(cp1252ToUnicode(static_cast<unsigned char>(b)));
    return out;
}

std::string encodeCp1252(std::u16string_view text, char replacement) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        int b = encodeOne(c);
        out.push_back(b < 0 ? replacement : static_cast<char>(b));
    }
    return out;
}

}  // namespace dorive
