#pragma once
// The four packed parameter records and the settings controls they describe.
#include <cstddef>
#include <string>

namespace dorive {
struct Form;
struct State;

// The lengths of the four records; a record of another length is replaced by its fallback.
inline constexpr std::size_t kGeneralLength = 15;
inline constexpr std::size_t kRelayLength = 8;
inline constexpr std::size_t kKeypadLength = 3;

inline constexpr const char* kGeneralFallback = "4#4#0#0#1#5#0#2";
inline constexpr const char* kRelay1Fallback = "5#1#03#1";
inline constexpr const char* kRelay2Fallback = "6#1#03#1";
inline constexpr const char* kKeypadFallback = "2#0";

// Sets the settings controls from ParamGeneral, ParamRelay1, ParamRelay2 and ParamKeypad,
// replacing a text of the wrong length by its fallback first. A character that cannot be
// converted leaves its field as it was and is reported by one line in the monitor.
void ApplyParamRecords(Form& form, State& state);

// Composes the four record texts anew from the settings controls.
void BuildParamRecords(const Form& form, State& state);

}  // namespace dorive
