// The 1964 input plug-in's settings (plugin\1964Input.ini): the [Controls] section read and
// rebuilt.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "emulators/binding_codec.h"
#include "platform/input_guid.h"

namespace rx::n64 {

inline constexpr int control_count = 18;

// The plug-in's button number of each control in screen order: stick up, down, left, right, Start,
// A, B, L, R, Z, D-pad up, down, left, right, C-pad up, down, left, right.
inline constexpr std::array<int, control_count> button_ids = {17, 16, 15, 14, 4, 7,  6,  13, 12,
                                                              5,  3,  2,  1,  0, 11, 10, 9,  8};

// The controls in screen order; each binding's emulator value is the file line it was loaded
// from, line end included ("" if none). A binding nobody captured into keeps that very line, so
// codes without a name and keypad Enter survive a save.
using bindings = std::array<binding, control_count>;

// The five fields of a "Button=" line.
struct button_line {
    int control = 0;
    int button_id = 0;
    unsigned offset = 0;  // bOffset, written in hex
    int axis = 0;         // bAxisID
    int type = 0;         // bBtnType: 5 key, 1 button, 2 axis, 3 hat
};
std::optional<button_line> parse_button_line(std::string_view line);

// The bindings of the [Controls] section: for each control its line ("" when the section has
// none for it) and the input of that line. Lines of other controllers, button ids outside
// 0 to 17 and lines that do not parse are not bindings of this screen.
bindings load(std::string_view text);

// The input of a binding line: the plug-in reads one pad, so its joystick inputs are the first
// joystick's (none for a line that does not parse or an unknown type).
input input_of(std::string_view line);

// The line that binds `bound` to `button_id`, ending in CR LF; nullopt for an input this file
// cannot express (its control then keeps the line it had).
std::optional<std::string> emu_line(int button_id, const input& bound);

// "DInputGUID={...}\r\n".
std::string guid_line(std::string_view guid);

// The file with its [Controls] section rebuilt from `controls`: everything before and after the
// section is kept byte for byte, and so is every line of the section that is not one of the 18
// bindings (with the device line it stood under). A file without the section gets it at the end.
// The joystick lines name the first listed controller; when none is listed they keep the device
// the file named for them (all zeros when it named none).
std::string save(std::string_view text, const bindings& controls,
                 const platform::device_list& devices);

}  // namespace rx::n64
