#include "serial/listing.h"

#include "text/text.h"

namespace dorive {

std::optional<std::string_view> textBetween(std::string_view line, char open, char close) {
    std::size_t a = line.find(open);
    if (a == std::string_view::npos) return std::nullopt;
    std::size_t e = line.find(close, a + 1);
    if (e == std::string_view::npos) e = line.size();
    return line.substr(a + 1, e - a - 1);
}

ListingLine cutListingLine(std::string_view line) {
    ListingLine out;
    if (auto loc = textBetween(line, ':', ',')) out.location = trimSpaces(*loc);

    std::size_t q1 = line.find('"');
    if (q1 == std::string_view::npos) return out;
    std::size_t q2 = line.find('"', q1 + 1);
    if (q2 == std::string_view::npos) return out;
    out.number = std::string(line.substr(q1 + 1, q2 - q1 - 1));

    std::size_t comma = line.find(',', q2 + 1);
    if (comma == std::string_view::npos) return out;
    std::size_t q3 = line.find('"', comma + 1);
    if (q3 == std::string_view::npos) return out;
    std::size_t q4 = line.find('"', q3 + 1);
    if (q4 == std::string_view::npos) return out;
    out.name = std::string(line.substr(q3 + 1, q4 - q3 - 1));
    return out;
}

}  // namespace dorive
