// Joystick name reading shared by the DirectInput settings codecs.
#include "browser/controls/logic/joystick_text.h"

namespace rx {

std::optional<int> parse_decimal(std::string_view text) {
    if (text.empty() || text.size() > 6) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<joystick_text> parse_joystick_text(std::string_view shown) {
    constexpr std::string_view prefix = "Joystick ";
    if (shown.substr(0, prefix.size()) != prefix) return std::nullopt;
    std::string_view after = shown.substr(prefix.size());
    std::size_t blank = after.find(' ');
    auto number = parse_decimal(after.substr(0, blank));
    if (!number || *number < 1) return std::nullopt;
    joystick_text out;
    out.number = *number;
    out.rest = blank == std::string_view::npos ? std::string_view() : after.substr(blank + 1);
    return out;
}

std::optional<int> joystick_button_of(std::string_view rest) {
    constexpr std::string_view prefix = "Button ";
    if (rest.substr(0, prefix.size()) != prefix) return std::nullopt;
    return parse_decimal(rest.substr(prefix.size()));
}

}  // namespace rx
