// Reading zinput.cfg key by key and rewriting its binding lines by position.
#include "emulators/zsnes_settings.h"

#include <algorithm>
#include <array>
#include <utility>

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

// Joystick inputs in the remainder r of (code - 256) / 32: the stick's directions, and the hat
// directions kept as the stick direction each matches; from 16 on, button r - 16.
struct stick_code {
    int axis;
    bool positive;
    hat_direction hat;
};
constexpr std::array<stick_code, 4> stick_codes{{{0, true, hat_direction::right},
                                                 {0, false, hat_direction::left},
                                                 {1, true, hat_direction::down},
                                                 {1, false, hat_direction::up}}};
constexpr int button_code = 16;

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

input joy_input(int value) {
    const long long m = static_cast<long long>(value) - 256;
    const long long joystick = m / 32 + 1;
    if (joystick < 1 || joystick > 9) return input::value(value);
    const int r = static_cast<int>(m % 32);
    if (r < 4) {
        const stick_code& stick = stick_codes[static_cast<std::size_t>(r)];
        return input::axis(static_cast<int>(joystick), stick.axis, stick.positive);
    }
    return input::button(static_cast<int>(joystick), r - button_code);
}

input input_of(std::string_view value) {
    return value_input(value, joy_input);
}

namespace {

// A joystick input's value; input_value has checked the joystick.
std::optional<int> joy_value(const input& bound) {
    const int base = 32 * bound.joystick + 224;
    for (std::size_t i = 0; i < stick_codes.size(); ++i) {
        const stick_code& stick = stick_codes[i];
        if ((bound.type == input::kind::axis && bound.index == stick.axis &&
             bound.positive == stick.positive) ||
            (bound.type == input::kind::hat && bound.hat == stick.hat))
            return base + static_cast<int>(i);
    }
    if (bound.type != input::kind::button) return std::nullopt;
    // From button 16 on the code would be the next joystick's stick.
    if (bound.index < -button_code || bound.index >= 32 - button_code) return std::nullopt;
    const int value = base + button_code + bound.index;
    if (joy_input(value) != bound) return std::nullopt;
    return value;
}

}  // namespace

std::optional<int> value_of(const input& bound) {
    return input_value(bound, joy_value);
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
                const input id = input_of(emu);
                set_loaded(records[static_cast<std::size_t>(record)], std::move(emu), id);
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
            const input id = input_of(emu);
            set_loaded(records[static_cast<std::size_t>(record)], std::move(emu), id);
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
        const auto value = value_of(binding.id);
        note_unstorable(binding, value, result.unsaved);
        if (!append_saved_value(binding, value, result.emu)) continue;
        lines[contrl[static_cast<std::size_t>(record / button_count)] +
              static_cast<std::size_t>(offset_of(record))] =
            key_of(record) + "=" + result.emu.back() + "\r\n";
    }
    result.bytes = join_lines(lines);
    result.written = true;
    return result;
}

}  // namespace rx::zsnes
