// Reading and rewriting the Gens pad bindings in gens.cfg.
#include "emulators/gens_settings.h"

#include <array>
#include <utility>

#include "emulators/settings_lines.h"

namespace rx::gens {

namespace {

constexpr std::array<const char*, row_count> control_names{
    "Up", "Down", "Left", "Right", "Start", "A", "B", "C", "X", "Y", "Z"};
// Offset 10 (between C and X) belongs to a control this screen does not edit.
constexpr std::array<int, row_count> player1_offsets{2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13};
constexpr int player2_shift = 52;
constexpr int joystick_base = 4096;

// A joystick's input codes, each of the joystick's 256: the stick's directions and the hat's.
struct stick_code {
    int code;
    int axis;
    bool positive;
};
constexpr std::array<stick_code, 4> axis_codes{
    {{1, 1, false}, {2, 1, true}, {3, 0, false}, {4, 0, true}}};
struct hat_code {
    int code;
    hat_direction direction;
};
constexpr std::array<hat_code, 4> hat_codes{{{129, hat_direction::up},
                                             {130, hat_direction::right},
                                             {131, hat_direction::down},
                                             {132, hat_direction::left}}};
constexpr int button_code = 16;  // button n is code 16 + n

}  // namespace

std::string key_of(int record) {
    return std::string("P") + (record < row_count ? "1." : "2.") +
           control_names[static_cast<std::size_t>(record % row_count)] + "=";
}

int offset_of(int record) {
    return player1_offsets[static_cast<std::size_t>(record % row_count)] +
           (record < row_count ? 0 : player2_shift);
}

std::size_t base_line(const std::vector<std::string>& lines) {
    std::size_t base = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].find("[Input]") != std::string::npos) base = i;
    return base;
}

std::string get_control(std::string_view line) {
    std::size_t equals = line.find('=');
    std::string_view value = equals == std::string_view::npos ? line : line.substr(equals + 1);
    if (!value.empty() && value.back() == '\n') value.remove_suffix(1);
    return std::string(value);
}

input joy_input(int value) {
    // 64-bit so that any int a file holds divides without overflow.
    const long long m = static_cast<long long>(value) - joystick_base;
    const long long joystick = m / 256 + 1;
    // Values 256 to 4095 and a tenth joystick name no input.
    if (joystick < 1 || joystick > 9) return input::value(value);
    const int code = static_cast<int>(m - (m / 256) * 256);
    const int number = static_cast<int>(joystick);
    for (const auto& entry : axis_codes)
        if (entry.code == code) return input::axis(number, entry.axis, entry.positive);
    for (const auto& entry : hat_codes)
        if (entry.code == code) return input::pov(number, entry.direction);
    return input::button(number, code - button_code);
}

input input_of(std::string_view value) {
    return value_input(value, joy_input);
}

namespace {

// A joystick input's value; input_value has checked the joystick.
std::optional<int> joy_value(const input& bound) {
    const int base = joystick_base + (bound.joystick - 1) * 256;
    switch (bound.type) {
        case input::kind::button: {
            // Codes 113 to 116 would be the hat's and from 256 on the next joystick's.
            if (bound.index < -button_code || bound.index > 255 - button_code) return std::nullopt;
            const int value = base + button_code + bound.index;
            if (joy_input(value) != bound) return std::nullopt;
            return value;
        }
        case input::kind::axis:
            for (const auto& entry : axis_codes)
                if (entry.axis == bound.index && entry.positive == bound.positive)
                    return base + entry.code;
            return std::nullopt;
        case input::kind::hat:
            for (const auto& entry : hat_codes)
                if (entry.direction == bound.hat) return base + entry.code;
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<int> value_of(const input& bound) {
    return input_value(bound, joy_value);
}

settings_load load(std::string_view bytes, std::vector<binding>& records) {
    settings_load result;
    if (bytes.empty()) return result;
    if (records.size() < binding_count) records.resize(binding_count);
    const auto lines = split_lines(bytes);
    const std::size_t base = base_line(lines);
    for (int record = 0; record < binding_count; ++record) {
        std::size_t index = base + static_cast<std::size_t>(offset_of(record));
        if (index >= lines.size()) {
            result.error = missing_line_text;
            return result;
        }
        std::string emu = get_control(lines[index]);
        const input id = input_of(emu);
        set_loaded(records[static_cast<std::size_t>(record)], std::move(emu), id);
    }
    result.ok = true;
    return result;
}

settings_save save(std::string_view bytes, const std::vector<binding>& records) {
    settings_save result;
    if (bytes.empty() || records.size() < binding_count) return result;
    auto lines = split_lines(bytes);
    const std::size_t base = base_line(lines);
    // Player 2's Z is the furthest line; without it nothing is written at all.
    if (base + static_cast<std::size_t>(offset_of(binding_count - 1)) >= lines.size()) {
        result.error = missing_line_text;
        return result;
    }
    for (int record = 0; record < binding_count; ++record) {
        const auto& binding = records[static_cast<std::size_t>(record)];
        const auto value = value_of(binding.id);
        note_unstorable(binding, value, result.unsaved);
        if (!append_saved_value(binding, value, result.emu)) continue;
        lines[base + static_cast<std::size_t>(offset_of(record))] =
            key_of(record) + result.emu.back() + "\r\n";
    }
    result.bytes = join_lines(lines);
    result.written = true;
    return result;
}

}  // namespace rx::gens
