// Reading meka.inp by sections and rewriting its fixed binding lines.
#include "emulators/meka_settings.h"

#include <array>

#include "emulators/key_names.h"
#include "emulators/settings_lines.h"

namespace rx::meka {

namespace {

constexpr std::array<const char*, control_count> control_keys{
    "player_up",      "player_down",    "player_left",       "player_right",
    "player_button1", "player_button2", "player_start_pause"};
constexpr std::array<const char*, control_count> type_words{
    "joy stick", "joy stick", "joy stick", "joy stick", "joy_button", "joy_button", "joy_button"};
// First binding line of each block of records: keyboard 1, joypad 1, keyboard 2, joypad 2.
constexpr std::array<int, 4> block_lines{63, 89, 76, 102};

// The hat is stick 2 in this file; its axis texts and the directions they stand for.
struct hat_axis {
    const char* axis;
    hat_direction pov;
};
constexpr std::array<hat_axis, 4> hat_directions{{{"axis 1 dir 0", hat_direction::up},
                                                  {"axis 1 dir 1", hat_direction::down},
                                                  {"axis 0 dir 0", hat_direction::left},
                                                  {"axis 0 dir 1", hat_direction::right}}};

// Where the kept part of a fixed line ends (the value follows it), or npos when the line is not
// one this record may rewrite.
std::size_t value_start(std::string_view line, int record) {
    if (line.find(control_keys[static_cast<std::size_t>(record % control_count)]) ==
        std::string_view::npos)
        return std::string_view::npos;
    if (is_joystick_record(record)) {
        std::size_t equals = line.find('=');
        return equals == std::string_view::npos ? equals : equals + 1;
    }
    // The blank after "key" is kept too; it must be there, or the value would be glued to the
    // line end.
    std::size_t key = line.find("key");
    if (key == std::string_view::npos || key + 3 >= line.size() || line[key + 3] == '\n' ||
        line[key + 3] == '\r')
        return std::string_view::npos;
    return key + 4;
}

}  // namespace

const char* key_of(int control) {
    return control_keys[static_cast<std::size_t>(control)];
}
bool is_joystick_record(int record) {
    return (record / control_count) % 2 == 1;
}
int player_of(int record) {
    return record < 2 * control_count ? 1 : 2;
}
int line_of(int record) {
    return block_lines[static_cast<std::size_t>(record / control_count)] + record % control_count;
}

bool find_sections(std::string_view text, sections& found) {
    std::size_t start = text.find("[Keyboard 1]");
    if (start == std::string_view::npos) return false;
    std::size_t mouse = text.find("[Mouse 1]");
    std::string_view block =
        text.substr(start, mouse == std::string_view::npos || mouse < start ? std::string_view::npos
                                                                            : mouse - start);
    std::size_t keyboard2 = block.find("[Keyboard 2]");
    std::size_t joypad1 =
        keyboard2 == std::string_view::npos ? keyboard2 : block.find("[Joypad 1]", keyboard2);
    std::size_t joypad2 =
        joypad1 == std::string_view::npos ? joypad1 : block.find("[Joypad 2]", joypad1);
    if (joypad2 == std::string_view::npos) return false;
    found.keyboard[0] = block.substr(0, keyboard2);
    found.keyboard[1] = block.substr(keyboard2, joypad1 - keyboard2);
    found.joypad[0] = block.substr(joypad1, joypad2 - joypad1);
    found.joypad[1] = block.substr(joypad2);
    return true;
}

std::string parse_line(std::string_view key, std::string_view section, std::string_view type_word) {
    std::size_t at = section.find(key);
    if (at == std::string_view::npos) return {};
    std::size_t line_end = section.find('\n', at);
    if (line_end == std::string_view::npos) line_end = section.size();
    std::size_t type = section.find(type_word, at);
    if (type == std::string_view::npos || type >= line_end) return {};
    std::size_t start = type_word == "key" ? type + type_word.size() + 1 : type;
    if (start >= line_end) return {};
    return std::string(section.substr(start, line_end - start));
}

input key_input(std::string_view value) {
    if (!value.empty() && value.back() == '\r') value.remove_suffix(1);
    const int code = key_code_of(value);
    return code != 0 ? input::key(code) : input{};
}

input joy_input(std::string_view value, int player) {
    if (value.empty()) return {};
    std::size_t button = value.find("joy_button");
    if (button != std::string_view::npos) {
        std::size_t number = button + 11;
        return input::button(player,
                             number < value.size() ? leading_integer(value.substr(number)) : 0);
    }
    std::size_t axis = value.find("axis");
    if (axis == std::string_view::npos) return input::joystick_only(player);
    std::string_view direction = value.substr(axis);
    while (!direction.empty() && (direction.back() == '\r' || direction.back() == ' '))
        direction.remove_suffix(1);
    if (value.find("joy stick 2") != std::string_view::npos) {
        for (const auto& hat : hat_directions)
            if (direction == hat.axis) return input::pov(player, hat.pov);
        return input::joystick_only(player);
    }
    // "axis N dir D", N a digit and D 0 or 1.
    if (direction.size() != 12 || direction[5] < '0' || direction[5] > '9' ||
        direction.substr(6, 5) != " dir " || (direction[11] != '0' && direction[11] != '1'))
        return input::joystick_only(player);
    return input::axis(player, direction[5] - '0', direction[11] == '1');
}

std::string joy_value(const input& bound) {
    if (!storable_joystick(bound.joystick)) return {};
    switch (bound.type) {
        case input::kind::button:
            return " joy_button " + std::to_string(bound.index);
        case input::kind::axis:
            if (bound.index < 0 || bound.index > 9) return {};
            return " joy stick 0 axis " + std::to_string(bound.index) +
                   (bound.positive ? " dir 1" : " dir 0");
        case input::kind::hat:
            for (const auto& hat : hat_directions)
                if (hat.pov == bound.hat) return std::string(" joy stick 2 ") + hat.axis;
            return {};
        default:
            return {};
    }
}

load_outcome load(std::string_view bytes, std::vector<binding>& records) {
    load_outcome outcome;
    if (bytes.empty()) {
        outcome.status = load_status::empty_file;
        outcome.error = empty_file_text;
        return outcome;
    }
    sections found;
    if (!find_sections(bytes, found)) {
        outcome.status = load_status::no_section;
        outcome.error = missing_section_text;
        return outcome;
    }
    if (records.size() < binding_count) records.resize(binding_count);
    for (int record = 0; record < binding_count; ++record) {
        const int control = record % control_count;
        const int player = player_of(record);
        auto& binding = records[static_cast<std::size_t>(record)];
        if (is_joystick_record(record)) {
            binding.emu =
                parse_line(control_keys[static_cast<std::size_t>(control)],
                           found.joypad[player - 1], type_words[static_cast<std::size_t>(control)]);
            binding.id = joy_input(binding.emu, player);
        } else {
            binding.emu = parse_line(control_keys[static_cast<std::size_t>(control)],
                                     found.keyboard[player - 1], "key");
            binding.id = key_input(binding.emu);
        }
        binding.captured = false;
    }
    return outcome;
}

void load_missing_file(std::vector<binding>& records) {
    records.assign(binding_count, binding{});
}

settings_save save(std::string_view bytes, const std::vector<binding>& records) {
    settings_save result;
    if (bytes.empty() || records.size() < binding_count) return result;
    auto lines = split_lines(bytes);
    if (lines.size() <= static_cast<std::size_t>(line_of(binding_count - 1))) {
        result.error = missing_line_text;
        return result;
    }
    std::array<std::size_t, binding_count> starts{};
    for (int record = 0; record < binding_count; ++record) {
        starts[static_cast<std::size_t>(record)] =
            value_start(lines[static_cast<std::size_t>(line_of(record))], record);
        if (starts[static_cast<std::size_t>(record)] == std::string::npos) {
            result.error = bad_line_text;
            return result;
        }
    }
    for (int record = 0; record < binding_count; ++record) {
        const auto& binding = records[static_cast<std::size_t>(record)];
        // A captured key row bound to nothing is written with no key name: that is how the file
        // says the control has no key.
        const bool joystick = is_joystick_record(record);
        std::string value;
        if (binding.captured && joystick) {
            value = joy_value(binding.id);
        } else if (binding.captured && binding.id.type == input::kind::key) {
            value = key_std_name(binding.id.index);
        }
        const bool storable =
            joystick ? !value.empty()
                     : binding.id.type == input::kind::key || binding.id.type == input::kind::none;
        if (!binding.captured || !storable) {
            result.emu.push_back(binding.emu);
            continue;
        }
        result.emu.push_back(value);
        std::string& line = lines[static_cast<std::size_t>(line_of(record))];
        line = line.substr(0, starts[static_cast<std::size_t>(record)]) + value + "\n";
    }
    result.bytes = join_lines(lines);
    result.written = true;
    return result;
}

}  // namespace rx::meka
