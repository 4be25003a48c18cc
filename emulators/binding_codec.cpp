// Number reading, key-name checks and the whole-file rewrite shared by the controls codecs.
#include "emulators/binding_codec.h"

#include <utility>

#include "platform/file.h"

namespace rx {

input value_input(std::string_view value, input (*joystick_input)(int)) {
    const int n = leading_integer(value);
    return n > 255 ? joystick_input(n) : input::key(n);
}

std::optional<int> input_value(const input& bound,
                               std::optional<int> (*joystick_value)(const input&)) {
    if (bound.type == input::kind::key)
        return bound.index >= 0 && bound.index <= 255 ? std::optional<int>(bound.index)
                                                      : std::nullopt;
    if (!storable_joystick(bound.joystick)) return std::nullopt;
    return joystick_value(bound);
}

void set_loaded(binding& record, std::string emu, input id) {
    record.emu = std::move(emu);
    record.id = id;
    record.captured = false;
}

bool append_saved_value(const binding& record, std::optional<int> value,
                        std::vector<std::string>& emu) {
    if (!record.captured || !value) {
        emu.push_back(record.emu);
        return false;
    }
    emu.push_back(std::to_string(*value));
    return true;
}

std::string unstorable_text(const input& captured) {
    return "Failure storing " + input_name(captured) + " - save_settings";
}

void note_unstorable(const binding& record, std::optional<int> value,
                     std::vector<std::string>& unsaved) {
    if (!value && record.captured && record.id.type == input::kind::button)
        unsaved.push_back(unstorable_text(record.id));
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
