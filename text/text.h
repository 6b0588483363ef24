#pragma once
// Small helpers for single-byte texts: character classes, trimming and whole numbers.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dorive {

inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
// Control characters and the space (codes 0 to 32).
inline bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// Without the characters of codes 0 to 32 at both ends.
std::string_view trimBlanks(std::string_view s);
// Without the spaces at both ends.
std::string_view trimSpaces(std::string_view s);
// Without spaces and tabs at both ends.
std::string_view trimSpacesTabs(std::string_view s);

// The whole text as a decimal integer, an optional leading '+' or '-' allowed when
// `signAllowed`; nothing for an empty text, any other character, or a value outside int.
std::optional<int> parseInt(std::string_view s, bool signAllowed = true);

// A text that should have been a number was not.
class ConversionError : public std::runtime_error {
  public:
    explicit ConversionError(const std::string& text)
        : std::runtime_error("'" + text + "' is not a valid integer value") {}
};

// Whole decimal integer with optional sign and surrounding blanks, as the unit's replies use.
// Throws ConversionError.
int toInt(const std::string& text);

}  // namespace dorive
