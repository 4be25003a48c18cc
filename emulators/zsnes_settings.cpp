// Reading zinput.cfg key by key and rewriting its binding lines by position.
#include "emulators/zsnes_settings.h"

#include <algorithm>
#include <array>
#include <utility>

#include "emulators/input_names.h"
#include "emulators/key_names.h"
#include "emulators/settings_lines.h"

namespace rx::zsnes {

namespace {

struct button_entry {
    const char* suffix;  // after "plN"
    int offset;          // lines after "plNcontrl"
};
// Screen order.
constexpr std::array<button_entry, button_count> buttons{{{"upk", 4},
                                                          {"downk", 5},
                                                          {"leftk", 6},
                                                          {"rightk", 7},
                                                          {"selk", 2},
                                                          {"startk", 3},
                                                          {"Ak", 9},
                                                          {"Bk", 12},
                                                          {"Xk", 8},
                                                          {"Yk", 11},
                                                          {"Lk", 10},
                                                          {"Rk", 13}}};
// The screen index of each key in the order the file holds them.
constexpr std::array<int, button_count> file_order{4, 5, 0, 1, 2, 3, 8, 6, 10, 9, 7, 11};
constexpr int last_offset = 13;

// Joystick inputs in the remainder r of (code - 256) / 32.
constexpr std::array<const char*, 4> axis_names{"axis 0 dir 1", "axis 0 dir 0", "axis 1 dir 1",
                                                "axis 1 dir 0"};
// A hat direction is kept as the stick direction it matches.
constexpr std::array<const char*, 4> hat_names{"POV Right", "POV Left", "POV Down", "POV Up"};

std::string contrl_word(int player) {
    return "pl" + std::to_string(player) + "contrl";
}

// The "pl1contrl" and "pl2contrl" lines (the last of each) when both blocks hold every key at its
// offset without overlapping, which is where a save writes; false with the line to log otherwise.
bool fixed_layout(const std::vector<std::string>& lines, std::array<std::size_t, 2>& contrl,
                  std::string* error) {
    for (int player = 0; player < 2; ++player) {
        const std::string word = contrl_word(player + 1);
        std::size_t found = std::string::npos;
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].find(word) != std::string::npos) found = i;
        if (found == std::string::npos) {
            if (error) *error = bad_layout_text;
            return false;
        }
        if (found + last_offset >= lines.size()) {
            if (error) *error = missing_line_text;
            return false;
        }
        contrl[static_cast<std::size_t>(player)] = found;
    }
    // Overlapping blocks would rewrite one player's lines with the other's keys.
    const std::size_t first = std::min(contrl[0], contrl[1]);
    const std::size_t second = std::max(contrl[0], contrl[1]);
    if (second <= first + last_offset) {
        if (error) *error = bad_layout_text;
        return false;
    }
    for (int record = 0; record < binding_count; ++record) {
        const std::size_t line = contrl[static_cast<std::size_t>(record / button_count)] +
                                 static_cast<std::size_t>(offset_of(record));
        if (lines[line].find(key_of(record)) == std::string::npos) {
            if (error) *error = bad_layout_text;
            return false;
        }
    }
    return true;
}

}  // namespace

std::string key_of(int record) {
    return "pl" + std::to_string(record < button_count ? 1 : 2) +
           buttons[static_cast<std::size_t>(record % button_count)].suffix;
}

int offset_of(int record) {
    return buttons[static_cast<std::size_t>(record % button_count)].offset;
}

std::string get_joy_std_name(int value) {
    long long m = static_cast<long long>(value) - 256;
    long long r = m % 32;
    std::string name = "Joystick " + std::to_string(m / 32 + 1) + " ";
    if (r >= 0 && r < 4) return name + axis_names[static_cast<std::size_t>(r)];
    return name + "Button " + std::to_string(r - 16);
}

std::string get_std_name(std::string_view value) {
    return value_std_name(value, get_joy_std_name);
}

std::optional<int> get_joy_emu_name(std::string_view name) {
    const auto split = split_joystick_name(name);
    if (!split) return std::nullopt;
    const int base = 32 * split->joystick;
    if (split->button) {
        // Button n is 16 + n of the joystick's 32 codes: from 16 on it would be the next
        // joystick's stick.
        const int button = *split->button;
        if (button < -16 || button > 15) return std::nullopt;
        if (!reads_back_as_button(base + 240 + button, split->joystick, button, get_joy_std_name))
            return std::nullopt;
        return base + 240 + button;
    }
    const auto& table = split->input.find("POV") != std::string_view::npos ? hat_names : axis_names;
    for (std::size_t i = 0; i < table.size(); ++i)
        if (split->input == table[i]) return base + 224 + static_cast<int>(i);
    return base + 224;
}

std::optional<int> get_emu_name(std::string_view name) {
    return shown_name_value(name, get_joy_emu_name);
}

settings_load load(std::string_view bytes, std::vector<binding>& records) {
    settings_load result;
    if (bytes.empty()) return result;
    if (records.size() < binding_count) records.resize(binding_count);
    // Where a save would write, the values are read from those very lines: a key's name found
    // earlier (in a comment, or run into another line) would otherwise show one value while the
    // save rewrites another line with it.
    const std::vector<std::string> lines = split_lines(bytes);
    std::array<std::size_t, 2> contrl{};
    if (fixed_layout(lines, contrl, nullptr)) {
        for (int player = 0; player < 2; ++player) {
            for (int index : file_order) {
                const int record = player * button_count + index;
                const std::string& line = lines[contrl[static_cast<std::size_t>(player)] +
                                                static_cast<std::size_t>(offset_of(record))];
                const std::string key = key_of(record);
                const std::size_t end = std::min(line.find('\n'), line.size());
                const std::size_t equals = line.find('=', line.find(key) + key.size());
                if (equals == std::string::npos || equals >= end) return result;
                std::string emu = line.substr(equals + 1, end - equals - 1);
                std::string shown = get_std_name(emu);
                set_loaded(records[static_cast<std::size_t>(record)], std::move(emu),
                           std::move(shown));
            }
        }
        result.ok = true;
        return result;
    }
    std::size_t from = 0;
    for (int player = 0; player < 2; ++player) {
        for (int index : file_order) {
            const int record = player * button_count + index;
            const std::string key = key_of(record);
            std::size_t at = bytes.find(key, from);
            if (at == std::string_view::npos) return result;
            std::size_t line_end = bytes.find('\n', at);
            if (line_end == std::string_view::npos) line_end = bytes.size();
            std::size_t equals = bytes.find('=', at + key.size());
            if (equals == std::string_view::npos || equals >= line_end) return result;
            std::string emu(bytes.substr(equals + 1, line_end - equals - 1));
            std::string shown = get_std_name(emu);
            set_loaded(records[static_cast<std::size_t>(record)], std::move(emu), std::move(shown));
            from = equals + 1;
        }
    }
    result.ok = true;
    return result;
}

settings_save save(std::string_view bytes, const std::vector<binding>& records) {
    settings_save result;
    if (bytes.empty() || records.size() < binding_count) return result;
    auto lines = split_lines(bytes);
    std::array<std::size_t, 2> contrl{};
    if (!fixed_layout(lines, contrl, &result.error)) return result;
    for (int player = 0; player < 2; ++player)
        lines[contrl[static_cast<std::size_t>(player)]] = contrl_word(player + 1) + "=1\r\n";
    for (int record = 0; record < binding_count; ++record) {
        const auto& binding = records[static_cast<std::size_t>(record)];
        // A bare key number such as 0 would come back as the key "0".
        const auto code = get_emu_name(binding.shown);
        note_unstorable(binding, code, result.unsaved);
        if (!append_saved_value(binding, code, result.emu)) continue;
        lines[contrl[static_cast<std::size_t>(record / button_count)] +
              static_cast<std::size_t>(offset_of(record))] =
            key_of(record) + "=" + result.emu.back() + "\r\n";
    }
    result.bytes = join_lines(lines);
    result.written = true;
    return result;
}

}  // namespace rx::zsnes
