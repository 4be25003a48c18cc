// VisualBoyAdvance's first pad in vba.ini: the ten binding lines, the codes and their shown names.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rx::vba {

inline constexpr int row_count = 10;

struct row {
    const char* key;     // written before the value, e.g. "Joy0_Up="
    std::size_t line;    // line index in vba.ini, counting from 0
    const char* label;   // row label artwork
    const char* prompt;  // capture box prompt
};

// In screen order: Up, Down, Left, Right, Select, Start, A, B, L, R.
const std::array<row, row_count>& rows();
// Row indexes in the order the file is read and written (Left, Right, Up, Down, A, B, L, R, Start,
// Select: by line).
const std::array<int, row_count>& file_order();

// The value of a binding line: after the first "=", without the line feed (a carriage return
// stays).
std::string get_control(std::string_view line);

std::string get_key_std_name(int code);
std::string get_joy_std_name(int code);
// The shown name of a file value: above 255 a joystick input, otherwise a key.
std::string get_std_name(std::string_view value);

// The code of a joystick name; nullopt when the name cannot be read (no digit 1 to 9 after
// "Joystick ") or names a button past 127, which the codes cannot hold, so the caller keeps what it
// had.
std::optional<std::string> get_joy_emu_name(std::string_view name);
std::string get_key_emu_name(std::string_view name);

// The value to write for a row. `loaded` is what the row held before (its last loaded or saved
// value) and `captured` whether a capture has written the shown name since. A row left alone keeps
// `loaded` (without its line end), so keypad Enter and codes without a name survive a save; a
// captured name is converted, and a captured joystick name the file cannot hold keeps `loaded`.
std::string get_emu_name(std::string_view shown, std::string_view loaded, bool captured);

// What a read of vba.ini gave: the values found in file order until a line was missing.
struct load_result {
    // Per screen row; nullopt for rows whose line the file does not have.
    std::array<std::optional<std::string>, row_count> values;
    bool complete = false;
};
load_result parse(std::string_view text);

// The file with the ten lines replaced by key + value + CR LF (values per screen row, already
// converted); every other byte as it was. nullopt when the file has fewer lines than the last
// fixed position.
std::optional<std::string> rewrite(std::string_view text,
                                   const std::array<std::string, row_count>& values);

}  // namespace rx::vba
