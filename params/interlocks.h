#pragma once

namespace dorive {
struct Form;

// Installs the click reactions that keep the pick-up and relay choices consistent.
void wireInterlocks(Form& form);

}  // namespace dorive
