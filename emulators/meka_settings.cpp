// Reading meka.inp by sections and rewriting its fixed binding lines.
#include "emulators/meka_settings.h"

#include <array>

#include "emulators/input_names.h"
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
struct hat_direction {
    const char* axis;
    const char* pov;
};
constexpr std::array<hat_direction, 4> hat_directions{{{"axis 1 dir 0", "POV Up"},
                                                       {"axis 1 dir 1", "POV Down"},
                                                       {"axis 0 dir 0", "POV Left"},
                                                       {"axis 0 dir 1", "POV Right"}}};

std::string_view trimmed(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

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

// The line (counted from 0) that `load` reads the record from: the first line of its section
// holding the control's key, or npos when the section or the key is not there.
std::size_t source_line(std::string_view bytes, const sections& found, bool have_sections,
                        int record) {
    if (!have_sections) return std::string_view::npos;
    const int player = player_of(record);
    const std::string_view section =
        is_joystick_record(record) ? found.joypad[player - 1] : found.keyboard[player - 1];
    const std::size_t at =
        section.find(control_keys[static_cast<std::size_t>(record % control_count)]);
    if (at == std::string_view::npos) return at;
    const std::size_t offset = static_cast<std::size_t>(section.data() - bytes.data()) + at;
    std::size_t line = 0;
    for (std::size_t i = 0; i < offset; ++i)
        if (bytes[i] == '\n') ++line;
    return line;
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

std::string get_joy_std_name(std::string_view value, int player) {
    if (value.empty()) return {};
    const std::string joystick = "Joystick " + std::to_string(player) + " ";
    std::size_t button = value.find("joy_button");
    if (button != std::string_view::npos) {
        std::size_t number = button + 11;
        return joystick + "Button " +
               std::to_string(number < value.size() ? leading_integer(value.substr(number)) : 0);
    }
    std::size_t axis = value.find("axis");
    if (value.find("joy stick 2") != std::string_view::npos) {
        std::string_view direction =
            axis == std::string_view::npos ? std::string_view() : value.substr(axis, 12);
        for (const auto& hat : hat_directions)
            if (direction == hat.axis) return joystick + hat.pov;
        return joystick + "Unknown";
    }
    if (axis == std::string_view::npos) return joystick + "Unknown";
    return joystick + std::string(value.substr(axis));
}

std::string get_joy_emu_name(std::string_view name) {
    // "Joystick N " and then the input: one joystick digit, or the offsets below mean nothing.
    if (name.size() < 12 || name.substr(0, 9) != "Joystick " || name[9] < '0' || name[9] > '9' ||
        name[10] != ' ')
        return {};
    std::string result;
    if (name.find("Button", 1) != std::string_view::npos && name.size() > 18)
        result = " joy_button " + std::string(name.substr(18));
    if (name.find("axis", 1) != std::string_view::npos)
        result = " joy stick 0 " + std::string(name.substr(11));
    std::size_t pov = name.find("POV", 1);
    if (pov != std::string_view::npos) {
        result.clear();
        for (const auto& hat : hat_directions)
            if (name.substr(pov) == hat.pov) result = std::string(" joy stick 2 ") + hat.axis;
    }
    return result;
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
            binding.shown = get_joy_std_name(binding.emu, player);
        } else {
            binding.emu = parse_line(control_keys[static_cast<std::size_t>(control)],
                                     found.keyboard[player - 1], "key");
            binding.shown = binding.emu;
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
    sections found;
    const bool have_sections = find_sections(bytes, found);
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
        std::string& line = lines[static_cast<std::size_t>(line_of(record))];
        const std::size_t start = starts[static_cast<std::size_t>(record)];
        const bool joystick = is_joystick_record(record);
        const std::string value = joystick ? get_joy_emu_name(binding.shown) : binding.shown;
        // A captured joystick name this file cannot hold keeps the line; so does a row nobody
        // captured into whose value would not come back the same (a stick other than 0 or 2, a
        // button on a stick direction, a text this program does not know), or that was not read
        // from this line at all: where the sections do not sit at the fixed positions, a rewrite
        // of one row's line could change what another row reads, and the next save would change
        // the file again.
        const bool keep = binding.captured
                              ? joystick && value.empty()
                              : trimmed(value) != trimmed(std::string_view(line).substr(start)) ||
                                    source_line(bytes, found, have_sections, record) !=
                                        static_cast<std::size_t>(line_of(record));
        if (keep) {
            result.emu.push_back(binding.emu);
            continue;
        }
        result.emu.push_back(value);
        line = line.substr(0, start) + value + "\n";
    }
    result.bytes = join_lines(lines);
    result.written = true;
    return result;
}

}  // namespace rx::meka
