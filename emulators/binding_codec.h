// What the Gens, MEKA and ZSNES settings codecs share: the binding record, their results, the
// number reading every settings value goes through and the whole-file rewrite around them.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rx {

// One pad control as a console screen edits it and a codec reads and writes it.
struct binding {
    std::string shown;  // the capture box's text, such as "Left Ctrl" or "Joystick 1 Button 3"
    std::string emu;    // the binding as the emulator's file holds it
    // A capture wrote `shown` since the load. A row nobody captured into is written back as it
    // was loaded wherever its shown name would not lead back to the same value.
    bool captured = false;
};

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

// The signed number right at the start of `text` (no blanks skipped), or false when no digit is
// there: a joystick name is only converted when its number is really present.
bool exact_int(std::string_view text, int& value);

// A keyboard code whose name exists in the key-name table (as opposed to one shown as a bare
// number, which would not come back as itself).
bool is_named_key(int code);

// "Joystick N <input>" taken apart, N being a single digit 1 to 9.
struct joystick_name {
    int joystick = 0;
    std::optional<int> button;  // set when the name holds "Button" with a number right after it
    std::string_view input;     // everything after "Joystick N "
};
// nullopt when `name` is not in that form, or names a button without its number: such a name
// has no file value, so the row's line stays as it was.
std::optional<joystick_name> split_joystick_name(std::string_view name);

// For the files whose values are keys up to 255 and joysticks above: the shown name of `value`,
// a joystick's through `joystick_std_name`.
std::string value_std_name(std::string_view value, std::string (*joystick_std_name)(int));

// The file value of a shown name: a joystick's through `joystick_value`, a key's from the
// key-name table.
std::optional<int> shown_name_value(std::string_view name,
                                    std::optional<int> (*joystick_value)(std::string_view));

// A record as a load leaves it: `emu` from the file, its shown name, nothing captured yet.
void set_loaded(binding& binding, std::string emu, std::string shown);

// A row's part of a save, given `code`, the file value of its shown name: appends the value the
// row keeps to `emu` and returns true when its line is to be rewritten with it. A row nobody
// captured into keeps its line and its value unless its name leads back to that very value; a
// name without a file value (nullopt) keeps them too.
bool append_saved_value(const binding& binding, std::optional<int> code,
                        std::vector<std::string>& emu);

// The line logged when a captured input has no value in the file (a joystick button past what the
// file's codes hold), so its row keeps the value it had.
std::string unstorable_text(std::string_view shown);

// For a captured joystick button name that `code` could not give a value: appends its
// `unstorable_text` to `unsaved`.
void note_unstorable(const binding& binding, std::optional<int> code,
                     std::vector<std::string>& unsaved);

// Whether `value` reads back, through `joystick_std_name`, as button `button` of joystick
// `joystick` (1 to 9): a button past what the file's codes hold would read as another input.
bool reads_back_as_button(int value, int joystick, int button,
                          std::string (*joystick_std_name)(int));

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
