#include "app/errors.h"

#include <charconv>

namespace dorive {

int toInt(const std::string& text) {
    std::size_t b = 0, e = text.size();
    while (b < e && (unsigned char)text[b] <= ' ') ++b;
    while (e > b && (unsigned char)text[e - 1] <= ' ') --e;
    const char* first = text.data() + b;
    const char* last = text.data() + e;
    if (first != last && *first == '+') ++first;
    int value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (first == last || ec != std::errc() || ptr != last) throw ConversionError(text);
    return value;
}

}  // namespace dorive
