#pragma once
#include <stdexcept>
#include <string>

namespace dorive {

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
