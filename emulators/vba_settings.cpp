// The vba.ini codec: fixed line positions, DirectInput key codes and joystick codes (number x 256 +
// input code).
#include "emulators/vba_settings.h"

#include "emulators/settings_lines.h"

namespace rx::vba {

namespace {

constexpr int joystick_base = 256;
constexpr int button_base = 128;
constexpr int pov_base = 32;

// Input codes below the buttons: the first two axes' directions.
constexpr int axis_codes = 4;
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

input joy_input(int code) {
    const int joystick = code / joystick_base;
    if (!storable_joystick(joystick)) return input::value(code);
    const int number = code % joystick_base;
    if (number >= button_base) return input::button(joystick, number - button_base);
    if (number < axis_codes) return input::axis(joystick, number / 2, number % 2 == 1);
    for (hat_direction direction :
         {hat_direction::up, hat_direction::down, hat_direction::left, hat_direction::right})
        if (hat_code(direction) == number) return input::pov(joystick, direction);
    return input::joystick_only(joystick);
}

input input_of(std::string_view value) {
    return value_input(value, joy_input);
}

namespace {

// A joystick input's value; input_value has checked the joystick.
std::optional<int> joy_value(const input& bound) {
    const int base = bound.joystick * joystick_base;
    switch (bound.type) {
        case input::kind::button:
            // Buttons past 127 would run into the next joystick's codes.
            if (bound.index < 0 || bound.index >= joystick_base - button_base) return std::nullopt;
            return base + button_base + bound.index;
        case input::kind::hat:
            return base + hat_code(bound.hat);
        case input::kind::axis:
            // The emulator names only the first two axes.
            if (bound.index < 0 || bound.index > 1) return std::nullopt;
            return base + bound.index * 2 + (bound.positive ? 1 : 0);
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<int> value_of(const input& bound) {
    return input_value(bound, joy_value);
}

std::string saved_value(const binding& record) {
    const std::string_view kept = without_line_end(record.emu);
    if (!record.captured && !kept.empty()) return std::string(kept);
    if (const auto value = value_of(record.id)) return std::to_string(*value);
    return kept.empty() ? "0" : std::string(kept);
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
