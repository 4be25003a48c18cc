// What the settings codecs share: the binding record every controls row is, the Gens, MEKA and
// ZSNES codecs' results, and the whole-file rewrite around them.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulators/input_names.h"

namespace rx {

// One pad control as a console screen edits it and a codec reads and writes it.
struct binding {
    input id;         // what the control is bound to; the screen shows its name
    std::string emu;  // the value as the emulator's file holds it
    // A capture set `id` since the load. Only such a row is written from its input; a row nobody
    // captured into keeps its value, and its line, exactly as they were loaded.
    bool captured = false;
};

// The capture box's text for a record.
inline std::string shown_name(const binding& record) {
    return input_name(record.id);
}

// What a load did. When `ok` is false the records before the failure are already updated and
// the rest keep what they held; `error` is the line to log ("" logs nothing).
struct settings_load {
    bool ok = false;
    std::string error;
};

// What a save would write. Nothing may be written unless `written`; then `bytes` is the whole
// new file and `emu` the emulator name of every record, to store once the file is replaced.
// A refusal carries the line to log in `error` ("" refuses silently, as for an empty file).
struct settings_save {
    bool written = false;
    std::string bytes;
    std::vector<std::string> emu;
    std::string error;
    // Lines to log after a written save: captured inputs the file cannot hold, whose rows kept
    // their values.
    std::vector<std::string> unsaved;
};

// For the files whose values are keys up to 255 and joysticks above: the input of `value`, a
// joystick's through `joystick_input`.
input value_input(std::string_view value, input (*joystick_input)(int));

// The same files' value of `bound`: a key's code up to 255, a joystick input's through
// `joystick_value`, which sees joysticks 1 to 9 only; nullopt for an input the file cannot hold.
std::optional<int> input_value(const input& bound,
                               std::optional<int> (*joystick_value)(const input&));

// A record as a load leaves it: `emu` from the file, its input, nothing captured yet.
void set_loaded(binding& record, std::string emu, input id);

// A row's part of a save, given `value`, the file value of the row's input (nullopt when the file
// cannot hold it): appends the value the row keeps to `emu` and returns true when its line is to
// be rewritten with it, which is only when a capture gave it a value the file can hold.
bool append_saved_value(const binding& record, std::optional<int> value,
                        std::vector<std::string>& emu);

// The line logged when a captured input has no value in the file (a joystick button past what the
// file's codes hold), so its row keeps the value it had.
std::string unstorable_text(const input& captured);

// For a captured joystick button that `value` could not hold: appends its `unstorable_text` to
// `unsaved`.
void note_unstorable(const binding& record, std::optional<int> value,
                     std::vector<std::string>& unsaved);

// Joysticks a file's values can name: a single digit, as the capture boxes count them.
inline bool storable_joystick(int joystick) {
    return joystick >= 1 && joystick <= 9;
}

// The lines a save logs when the settings file could not be read whole, or not be replaced.
std::string read_failure_text(std::string_view file_name);
std::string write_failure_text(std::string_view file_name);

// Everything a console screen's Save Settings does around a codec: read the whole file, let
// `codec` build the new bytes, replace the file atomically. A file that is missing or empty is
// left alone silently; a refusal or a failed replace leaves the file exactly as it was and
// returns the line to log. On success `emu` receives the codec's emulator names.
struct file_save_outcome {
    bool written = false;
    std::string log;  // "" when there is nothing to log
    // A written save's lines about captured inputs it could not store.
    std::vector<std::string> unsaved;
};
file_save_outcome save_settings_file(const std::string& path, std::string_view file_name,
                                     const std::function<settings_save(std::string_view)>& codec,
                                     std::vector<std::string>& emu);

// Reads the whole settings file for a load. `bytes` holds the file only when the result is `read`.
enum class settings_file { read, missing, empty, unreadable };
settings_file read_settings_file(const std::string& path, std::string& bytes);

}  // namespace rx
