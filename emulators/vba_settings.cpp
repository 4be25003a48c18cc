// The vba.ini codec: fixed line positions, DirectInput key codes and joystick codes (number x 256 +
// input code).
#include "emulators/vba_settings.h"

#include <cstdio>

#include "emulators/input_names.h"
#include "emulators/key_names.h"
#include "emulators/settings_lines.h"

namespace rx::vba {

namespace {

constexpr int joystick_base = 256;
constexpr int button_base = 128;
constexpr int pov_base = 32;

const char* input_code_text(int code) {
    switch (code) {
        case 0:
            return "axis 0 dir 0";
        case 1:
            return "axis 0 dir 1";
        case 2:
            return "axis 1 dir 0";
        case 3:
            return "axis 1 dir 1";
        case 32:
            return "POV Up";
        case 33:
            return "POV Down";
        case 34:
            return "POV Right";
        case 35:
            return "POV Left";
        default:
            return "";
    }
}

int hat_code(hat_direction direction) {
    switch (direction) {
        case hat_direction::up:
            return pov_base;
        case hat_direction::down:
            return pov_base + 1;
        case hat_direction::right:
            return pov_base + 2;
        case hat_direction::left:
            return pov_base + 3;
    }
    return pov_base;
}

std::string_view without_line_end(std::string_view value) {
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.remove_suffix(1);
    return value;
}

}  // namespace

const std::array<row, row_count>& rows() {
    static const std::array<row, row_count> table{{
        {"Joy0_Up=", 83, "static_up.png", "Press Up"},
        {"Joy0_Down=", 87, "static_down.png", "Press Down"},
        {"Joy0_Left=", 81, "static_left.png", "Press Left"},
        {"Joy0_Right=", 82, "static_right.png", "Press Right"},
        {"Joy0_Select=", 93, "static_select.png", "Press Select"},
        {"Joy0_Start=", 92, "static_start.png", "Press Start"},
        {"Joy0_A=", 88, "static_a.png", "Press A"},
        {"Joy0_B=", 89, "static_b.png", "Press B"},
        {"Joy0_L=", 90, "static_l.png", "Press L"},
        {"Joy0_R=", 91, "static_r.png", "Press R"},
    }};
    return table;
}

const std::array<int, row_count>& file_order() {
    static const std::array<int, row_count> order{2, 3, 0, 1, 6, 7, 8, 9, 5, 4};
    return order;
}

std::string get_control(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::string();
    std::string_view value = line.substr(equals + 1);
    if (!value.empty() && value.back() == '\n') value.remove_suffix(1);
    return std::string(value);
}

std::string get_key_std_name(int code) {
    return key_std_name(code);
}

std::string get_joy_std_name(int code) {
    std::string name = "Joystick " + std::to_string(code / joystick_base) + " ";
    const int input = code % joystick_base;
    if (input < button_base) return name + input_code_text(input);
    return name + "Button " + std::to_string(input - button_base);
}

std::string get_std_name(std::string_view value) {
    const int n = leading_integer(value);
    return n > 255 ? get_joy_std_name(n) : get_key_std_name(n);
}

std::optional<std::string> get_joy_emu_name(std::string_view name) {
    const auto input = parse_joystick_name(name);
    if (!input) return std::nullopt;
    int v = input->joystick * joystick_base;
    using kind = joystick_input::input_kind;
    switch (input->kind) {
        case kind::button:
            // Buttons past 127 would run into the next joystick's codes.
            if (input->index >= joystick_base - button_base) return std::nullopt;
            v += button_base + input->index;
            break;
        case kind::hat:
            v += hat_code(input->hat);
            break;
        case kind::axis:
            // The emulator names only the first two axes; others add nothing.
            if (input->index <= 1) v += input->index * 2 + (input->positive ? 1 : 0);
            break;
        case kind::none:
            break;
    }
    return std::to_string(v);
}

std::string get_key_emu_name(std::string_view name) {
    return key_emu_name(name);
}

std::string get_emu_name(std::string_view shown, std::string_view loaded, bool captured) {
    // A row nobody captured into keeps its value whatever its name would convert to (keypad
    // Enter shows as "Enter", an unnamed code as its number or as "Joystick 1 ").
    const std::string_view kept = without_line_end(loaded);
    if (!captured && !kept.empty()) return std::string(kept);
    if (shown.find("Joystick") != std::string_view::npos) {
        if (auto code = get_joy_emu_name(shown)) return *code;
        return std::string(kept);
    }
    return get_key_emu_name(shown);
}

load_result parse(std::string_view text) {
    load_result result;
    const std::vector<std::string> lines = split_lines(text);
    for (int r : file_order()) {
        const std::size_t line = rows()[static_cast<std::size_t>(r)].line;
        if (line >= lines.size()) return result;
        result.values[static_cast<std::size_t>(r)] = get_control(lines[line]);
    }
    result.complete = true;
    return result;
}

std::optional<std::string> rewrite(std::string_view text,
                                   const std::array<std::string, row_count>& values) {
    std::vector<std::string> lines = split_lines(text);
    for (int r : file_order()) {
        const row& at = rows()[static_cast<std::size_t>(r)];
        if (at.line >= lines.size()) return std::nullopt;
        lines[at.line] = std::string(at.key) + values[static_cast<std::size_t>(r)] + "\r\n";
    }
    return join_lines(lines);
}

}  // namespace rx::vba
