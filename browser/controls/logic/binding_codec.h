// What the Gens, MEKA and ZSNES settings codecs share: the binding record, their results, the
// number reading every settings value goes through and the whole-file rewrite around them.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rx {

// One pad control as a console screen edits it.
struct settings_binding {
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
};

// The signed number right at the start of `text` (no blanks skipped), or false when no digit is
// there: a joystick name is only converted when its number is really present.
bool exact_int(std::string_view text, int& value);

// A keyboard code whose name exists in the key-name table (as opposed to one shown as a bare
// number, which would not come back as itself).
bool is_named_key(int code);

// Everything a console screen's Save Settings does around a codec: read the whole file, let
// `codec` build the new bytes, replace the file atomically. A file that is missing or empty is
// left alone silently; a refusal or a failed replace leaves the file exactly as it was and
// returns the line to log. On success `emu` receives the codec's emulator names.
struct file_save_outcome {
    bool written = false;
    std::string log;  // "" when there is nothing to log
};
file_save_outcome save_settings_file(const std::string& path, std::string_view file_name,
                                     const std::function<settings_save(std::string_view)>& codec,
                                     std::vector<std::string>& emu);

// Reads the whole settings file for a load. `bytes` holds the file only when the result is `read`.
enum class settings_file { read, missing, empty, unreadable };
settings_file read_settings_file(const std::string& path, std::string& bytes);

}  // namespace rx
