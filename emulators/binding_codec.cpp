// Number reading, key-name checks and the whole-file rewrite shared by the controls codecs.
#include "emulators/binding_codec.h"

#include <climits>
#include <utility>

#include "emulators/input_names.h"
#include "emulators/key_names.h"
#include "platform/file.h"

namespace rx {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Reads digits from `pos` into a saturated value, so a long run of digits cannot wrap into a
// different binding.
void read_digits(std::string_view text, std::size_t pos, bool negative, int& value) {
    long long n = 0;
    for (; pos < text.size() && is_digit(text[pos]); ++pos) {
        if (n <= INT_MAX) n = n * 10 + (text[pos] - '0');
    }
    if (negative) n = -n;
    if (n > INT_MAX) n = INT_MAX;
    if (n < INT_MIN) n = INT_MIN;
    value = static_cast<int>(n);
}

}  // namespace

bool exact_int(std::string_view text, int& value) {
    std::size_t pos = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) ++pos;
    if (pos >= text.size() || !is_digit(text[pos])) return false;
    read_digits(text, pos, negative, value);
    return true;
}

bool is_named_key(int code) {
    return code >= 0 && code <= 255 && key_std_name(code) != std::to_string(code);
}

std::optional<joystick_name> split_joystick_name(std::string_view name) {
    constexpr std::string_view prefix = "Joystick ";
    if (name.size() < 11 || name.substr(0, prefix.size()) != prefix || name[9] < '1' ||
        name[9] > '9' || name[10] != ' ')
        return std::nullopt;
    joystick_name split;
    split.joystick = name[9] - '0';
    split.input = name.substr(11);
    std::size_t button = name.find("Button");
    if (button != std::string_view::npos) {
        int number = 0;
        if (button + 7 > name.size() || !exact_int(name.substr(button + 7), number))
            return std::nullopt;
        split.button = number;
    }
    return split;
}

std::string value_std_name(std::string_view value, std::string (*joystick_std_name)(int)) {
    int n = leading_integer(value);
    return n > 255 ? joystick_std_name(n) : key_std_name(n);
}

std::optional<int> shown_name_value(std::string_view name,
                                    std::optional<int> (*joystick_value)(std::string_view)) {
    if (name.find("Joystick") != std::string_view::npos) return joystick_value(name);
    return key_code_of(name);
}

void set_loaded(binding& binding, std::string emu, std::string shown) {
    binding.emu = std::move(emu);
    binding.shown = std::move(shown);
    binding.captured = false;
}

bool append_saved_value(const binding& binding, std::optional<int> code,
                        std::vector<std::string>& emu) {
    // A row nobody captured into keeps its line even where its name would convert to another
    // value (keypad Enter shows as "Enter", which is 28). A row that was never loaded has no
    // value to keep and is written from its name.
    const bool keep = !binding.captured && !binding.emu.empty();
    if (!code || (keep && *code != leading_integer(binding.emu))) {
        emu.push_back(binding.emu);
        return false;
    }
    emu.push_back(std::to_string(*code));
    return true;
}

std::string unstorable_text(std::string_view shown) {
    return "Failure storing " + std::string(shown) + " - save_settings";
}

void note_unstorable(const binding& binding, std::optional<int> code,
                     std::vector<std::string>& unsaved) {
    if (code || !binding.captured) return;
    const auto split = split_joystick_name(binding.shown);
    if (split && split->button) unsaved.push_back(unstorable_text(binding.shown));
}

bool reads_back_as_button(int value, int joystick, int button,
                          std::string (*joystick_std_name)(int)) {
    return joystick_std_name(value) == joystick_button_name(joystick - 1, button);
}

std::string read_failure_text(std::string_view file_name) {
    return "Failure reading " + std::string(file_name) + " - save_settings";
}

std::string write_failure_text(std::string_view file_name) {
    return "Failure writing " + std::string(file_name) + " - save_settings";
}

settings_file read_settings_file(const std::string& path, std::string& bytes) {
    switch (platform::read_whole_file(path, bytes)) {
        case platform::read_status::ok:
            return bytes.empty() ? settings_file::empty : settings_file::read;
        case platform::read_status::missing:
            return settings_file::missing;
        default:
            return settings_file::unreadable;
    }
}

file_save_outcome save_settings_file(const std::string& path, std::string_view file_name,
                                     const std::function<settings_save(std::string_view)>& codec,
                                     std::vector<std::string>& emu) {
    file_save_outcome outcome;
    std::string bytes;
    switch (read_settings_file(path, bytes)) {
        case settings_file::read:
            break;
        case settings_file::unreadable:
            // Saving over a file that could not be read would lose whatever it holds.
            outcome.log = read_failure_text(file_name);
            return outcome;
        default:
            return outcome;
    }
    settings_save save = codec(bytes);
    if (!save.written) {
        outcome.log = save.error;
        return outcome;
    }
    if (!platform::replace_file(path, save.bytes).empty()) {
        outcome.log = write_failure_text(file_name);
        return outcome;
    }
    emu = std::move(save.emu);
    outcome.unsaved = std::move(save.unsaved);
    outcome.written = true;
    return outcome;
}

}  // namespace rx
