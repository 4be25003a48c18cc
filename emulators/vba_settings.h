// VisualBoyAdvance's first pad in vba.ini: the ten binding lines, the codes and their inputs.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulators/binding_codec.h"

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

// The input of a file value: above 255 a joystick input (number x 256 + input code), otherwise a
// key.
input input_of(std::string_view value);
input joy_input(int code);

// The code of an input; nullopt for one the codes cannot hold (a joystick past the ninth, a
// button past 127, an axis past the second).
std::optional<int> value_of(const input& bound);

// The value to write for a row. A row left alone keeps the value it was loaded with (without its
// line end), so keypad Enter and codes without a name survive a save; a captured input is
// converted, and one the file cannot hold keeps the loaded value. A row with neither writes 0,
// no key.
std::string saved_value(const binding& record);

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
