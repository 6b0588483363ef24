#pragma once
// Rules that correct the guarded edit fields while they are edited.
#include <string>
#include <string_view>

#include "text/text.h"

namespace dorive {
struct Form;

// A relay code or time field that holds nothing to convert. It is a ConversionError with
// a message that names the field's rule instead of the generic integer message.
class BlankFieldError : public ConversionError {
  public:
    explicit BlankFieldError(std::string message) : ConversionError(""), message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

  private:
    std::string message_;
};

// Digits, "+", "*" and "#", at most 20 characters; a one-character text passes unchanged.
std::string FilterPhoneNumber(std::string_view text);
// Digits only, at most 15 characters.
std::string FilterDigits(std::string_view text);
// Exactly one digit. Throws ConversionError for a text that is blank.
std::string NormalizeRelayCode(std::string_view text);
// Exactly two digits, "01" to "99". Throws ConversionError for a text that is blank.
std::string NormalizeRelayTime(std::string_view text);

// Installs the change reactions of the guarded edits of the settings and button pages,
// including the mirroring of ABUTTONn and AABUTTONn.
void wireEditRules(Form& form);

}  // namespace dorive
