#pragma once
// A line of the unit's phone-book listing, cut into its texts.
#include <optional>
#include <string>
#include <string_view>

namespace dorive {

// One phone-book listing line cut into its three texts; the number type is skipped.
struct ListingLine {
    std::string location;  // after the first ":" up to the next ",", blanks trimmed
    std::string number;    // inside the first pair of double quotes
    std::string name;      // inside the next pair of quotes after the "," that follows the number
    bool operator==(const ListingLine&) const = default;
};

// Missing separators or quotes give empty fields; never throws.
ListingLine cutListingLine(std::string_view line);

// The text after the first `open` up to the next `close` (or the end of the line when
// `close` is missing). Without `open` there is no text at all.
std::optional<std::string_view> textBetween(std::string_view line, char open, char close);

}  // namespace dorive
