// Reading and rewriting the Gens pad bindings in gens.cfg.
#include "emulators/gens_settings.h"

#include <array>
#include <utility>

#include "emulators/input_names.h"
#include "emulators/key_names.h"
#include "emulators/settings_lines.h"

namespace rx::gens {

namespace {

constexpr std::array<const char*, row_count> control_names{
    "Up", "Down", "Left", "Right", "Start", "A", "B", "C", "X", "Y", "Z"};
// Offset 10 (between C and X) belongs to a control this screen does not edit.
constexpr std::array<int, row_count> player1_offsets{2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13};
constexpr int player2_shift = 52;
constexpr int joystick_base = 4096;

// Joystick input codes and their names after "Joystick N ".
struct joy_input {
    int code;
    const char* name;
};
constexpr std::array<joy_input, 4> axis_inputs{
    {{1, "axis 1 dir 0"}, {2, "axis 1 dir 1"}, {3, "axis 0 dir 0"}, {4, "axis 0 dir 1"}}};
constexpr std::array<joy_input, 4> hat_inputs{
    {{129, "POV Up"}, {130, "POV Right"}, {131, "POV Down"}, {132, "POV Left"}}};

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

std::string get_joy_std_name(int value) {
    // 64-bit so that any int a file holds divides without overflow.
    long long m = static_cast<long long>(value) - joystick_base;
    long long code = m - (m / 256) * 256;
    std::string name = "Joystick " + std::to_string(m / 256 + 1) + " ";
    for (const auto& input : axis_inputs)
        if (input.code == code) return name + input.name;
    for (const auto& input : hat_inputs)
        if (input.code == code) return name + input.name;
    return name + "Button " + std::to_string(code - 16);
}

std::string get_std_name(std::string_view value) {
    return value_std_name(value, get_joy_std_name);
}

std::optional<int> get_joy_emu_name(std::string_view name) {
    const auto split = split_joystick_name(name);
    if (!split) return std::nullopt;
    int value = split->joystick * 256 + (joystick_base - 256);
    if (split->button) {
        // Button n is code 16 + n of the joystick's 256; n 113 to 116 would be the hat's codes.
        const int button = *split->button;
        if (button < -16 || button > 239) return std::nullopt;
        if (!reads_back_as_button(value + 16 + button, split->joystick, button, get_joy_std_name))
            return std::nullopt;
        return value + 16 + button;
    }
    const auto& table =
        split->input.find("POV") != std::string_view::npos ? hat_inputs : axis_inputs;
    for (const auto& entry : table)
        if (split->input == entry.name) return value + entry.code;
    return value;
}

std::optional<int> get_emu_name(std::string_view name) {
    return shown_name_value(name, get_joy_emu_name);
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
        std::string shown = get_std_name(emu);
        set_loaded(records[static_cast<std::size_t>(record)], std::move(emu), std::move(shown));
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
        // Values 256 to 4095 and a tenth joystick have no name that leads back to them.
        const auto code = get_emu_name(binding.shown);
        note_unstorable(binding, code, result.unsaved);
        if (!append_saved_value(binding, code, result.emu)) continue;
        lines[base + static_cast<std::size_t>(offset_of(record))] =
            key_of(record) + result.emu.back() + "\r\n";
    }
    result.bytes = join_lines(lines);
    result.written = true;
    return result;
}

}  // namespace rx::gens
