// Reading the joystick names the capture box writes ("Joystick 2 Button 3", "Joystick 1 axis 0 dir
// 1").
#pragma once
#include <optional>
#include <string_view>

namespace rx {

// "Joystick 2 Button 3" is joystick 2 followed by "Button 3". The number may have several digits
// (a tenth pad is "Joystick 10 ..."), so the rest is not taken from a fixed column.
struct joystick_text {
    int number = 0;
    std::string_view rest;
};
std::optional<joystick_text> parse_joystick_text(std::string_view shown);

// The whole of `text` as a small non-negative decimal number; nullopt for anything else.
std::optional<int> parse_decimal(std::string_view text);

// "Button 10" gives 10; nullopt when `rest` is not "Button " and a number.
std::optional<int> joystick_button_of(std::string_view rest);

}  // namespace rx
