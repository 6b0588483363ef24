#pragma once
// Product variants: one executable presents itself by the markers in its own file name.
#include <string>
#include <string_view>
#include <vector>

namespace dorive {
struct Form;
struct State;

struct Variant {
    std::string marker;                 // case-sensitive marker in the file name; empty for the default
    std::string deviceName;             // names the unit in captions and hints
    std::string caption;                // window caption and application title; empty keeps "DORive"
    std::vector<std::string> pictures;  // pictures made visible
    bool moduleTabs = false;            // show the button-module and keypad tabs
    std::string versionPanel;           // status-bar panel 4; empty keeps " ZEP Ver:"
};

// The variants in the order they are tested; the last one is the default.
const std::vector<Variant>& variants();

// The file name part of an executable path as typed (after the last '/' or '\').
std::string_view executableFileName(std::string_view path);

// First variant whose marker occurs in the executable's file name, else the default.
const Variant& selectVariant(std::string_view executable);

// Applies a variant to the window: device name, caption, pictures, tabs and panel.
void applyVariant(const Variant& v, Form& form, State& state);

}  // namespace dorive
