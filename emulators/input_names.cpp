// Capture names for joystick inputs, built and parsed in one place so they always agree.
#include "emulators/input_names.h"

namespace rx {

namespace {

const char* hat_text(hat_direction direction) {
    switch (direction) {
        case hat_direction::up:
            return "Up";
        case hat_direction::down:
            return "Down";
        case hat_direction::left:
            return "Left";
        case hat_direction::right:
            return "Right";
    }
    return "Up";
}

bool consume(std::string_view& text, std::string_view prefix) {
    if (text.substr(0, prefix.size()) != prefix) return false;
    text.remove_prefix(prefix.size());
    return true;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string joystick_button_name(int joystick_index, int button) {
    return "Joystick " + std::to_string(joystick_index + 1) + " Button " + std::to_string(button);
}

std::string joystick_axis_name(int joystick_index, int axis, bool positive) {
    return "Joystick " + std::to_string(joystick_index + 1) + " axis " + std::to_string(axis) +
           (positive ? " dir 1" : " dir 0");
}

std::string joystick_hat_name(int joystick_index, hat_direction direction) {
    return "Joystick " + std::to_string(joystick_index + 1) + " POV " + hat_text(direction);
}

std::optional<joystick_input> parse_joystick_name(std::string_view name) {
    if (!consume(name, "Joystick ") || name.empty()) return std::nullopt;
    if (name[0] < '1' || name[0] > '9') return std::nullopt;
    joystick_input input;
    input.joystick = name[0] - '0';
    name.remove_prefix(1);
    if (name.empty()) return input;
    if (!consume(name, " ")) return std::nullopt;
    if (consume(name, "Button ")) {
        if (!is_decimal_number(name) || name.size() > 4) return input;
        input.kind = joystick_input::input_kind::button;
        input.index = leading_integer(name);
    } else if (consume(name, "axis ")) {
        if (name.size() != 7 || !is_digit(name[0]) || name.substr(1, 5) != " dir " ||
            (name[6] != '0' && name[6] != '1')) {
            return input;
        }
        input.kind = joystick_input::input_kind::axis;
        input.index = name[0] - '0';
        input.positive = name[6] == '1';
    } else if (consume(name, "POV ")) {
        for (hat_direction d :
             {hat_direction::up, hat_direction::down, hat_direction::left, hat_direction::right}) {
            if (name == hat_text(d)) {
                input.kind = joystick_input::input_kind::hat;
                input.hat = d;
            }
        }
    }
    return input;
}

int leading_integer(std::string_view value) {
    std::size_t i = 0;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
    long long n = 0;
    for (; i < value.size() && is_digit(value[i]); ++i) {
        if (n < 100000000) n = n * 10 + (value[i] - '0');
    }
    return static_cast<int>(negative ? -n : n);
}

bool is_decimal_number(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (!is_digit(c)) return false;
    }
    return true;
}

}  // namespace rx
