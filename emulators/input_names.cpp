// Inputs and their names: the capture boxes' texts, made in one place so every screen agrees.
#include "emulators/input_names.h"

#include "emulators/key_names.h"

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

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

input input::key(int code) {
    return {kind::key, 0, code};
}

input input::button(int joystick, int number) {
    return {kind::button, joystick, number};
}

input input::axis(int joystick, int number, bool positive) {
    return {kind::axis, joystick, number, positive};
}

input input::pov(int joystick, hat_direction direction) {
    return {kind::hat, joystick, 0, false, direction};
}

input input::joystick_only(int joystick) {
    return {kind::joystick, joystick};
}

input input::value(int value) {
    return {kind::code, 0, value};
}

bool input::operator==(const input& other) const {
    if (type != other.type) return false;
    switch (type) {
        case kind::none:
            return true;
        case kind::key:
        case kind::code:
            return index == other.index;
        case kind::button:
            return joystick == other.joystick && index == other.index;
        case kind::axis:
            return joystick == other.joystick && index == other.index && positive == other.positive;
        case kind::hat:
            return joystick == other.joystick && hat == other.hat;
        case kind::joystick:
            return joystick == other.joystick;
    }
    return false;
}

std::string input_name(const input& bound) {
    const std::string joystick = "Joystick " + std::to_string(bound.joystick) + " ";
    switch (bound.type) {
        case input::kind::none:
            return {};
        case input::kind::key:
            return key_std_name(bound.index);
        case input::kind::button:
            return joystick + "Button " + std::to_string(bound.index);
        case input::kind::axis:
            return joystick + "axis " + std::to_string(bound.index) +
                   (bound.positive ? " dir 1" : " dir 0");
        case input::kind::hat:
            return joystick + "POV " + hat_text(bound.hat);
        case input::kind::joystick:
            return joystick;
        case input::kind::code:
            return std::to_string(bound.index);
    }
    return {};
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
