// The readable names a capture box gives joystick inputs, and their parsing back. A captured key is
// stored by its code (sdl_keys.h) and named from it (key_names.h).
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace rx {

enum class hat_direction { up, down, left, right };

// Joysticks are counted from 1 in names, buttons and axes from 0: the first button of the first
// joystick (index 0) is "Joystick 1 Button 0".
std::string joystick_button_name(int joystick_index, int button);
// "Joystick 1 axis 1 dir 0" for axis 1 pushed to its negative end.
std::string joystick_axis_name(int joystick_index, int axis, bool positive);
// "Joystick 1 POV Up"; the hat's own index is not named.
std::string joystick_hat_name(int joystick_index, hat_direction direction);

// A joystick name taken apart. `kind` none means the joystick number was readable but the rest
// names no input ("Joystick 1 " loaded from a code the emulator does not name).
struct joystick_input {
    enum class input_kind { none, button, axis, hat };
    int joystick = 0;  // 1 to 9, as shown
    input_kind kind = input_kind::none;
    int index = 0;          // button or axis number
    bool positive = false;  // axis direction: "dir 1"
    hat_direction hat = hat_direction::up;
};

// nullopt unless the name starts with "Joystick ", a single digit 1 to 9 and then either the end
// of the text or a blank; everything after that must be exactly "Button <digits>", "axis <digit>
// dir <0|1>" or "POV Up/Down/Left/Right" for a kind other than none.
std::optional<joystick_input> parse_joystick_name(std::string_view name);

// The leading decimal integer of a settings value ("203\r" gives 203); 0 when there is none.
// Digits beyond what an int holds are ignored rather than overflowing.
int leading_integer(std::string_view value);

// True for a non-empty text of decimal digits only.
bool is_decimal_number(std::string_view text);

}  // namespace rx
