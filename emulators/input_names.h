// What a pad control is bound to (a key by its code, or one input of a joystick) and the text a
// capture box shows for it; the integer reading every settings value goes through.
#pragma once
#include <string>
#include <string_view>

namespace rx {

enum class hat_direction { up, down, left, right };

// A binding's input, the same whichever emulator's file holds it: the codecs turn their file
// values into inputs and back, the capture boxes make them and rx_retro plays them. The screens
// show an input's name, and only show it.
struct input {
    enum class kind : unsigned char {
        none,      // nothing bound
        key,       // `index` is the DirectInput key code
        button,    // joystick `joystick`, button `index`
        axis,      // joystick `joystick`, axis `index` pushed to the `positive` end or the other
        hat,       // joystick `joystick`, its hat pushed to `hat`
        joystick,  // joystick `joystick`, an input the emulator's code names and no capture makes
        code,      // a value the file holds that names no input: `index` is the value
    };
    kind type = kind::none;
    int joystick = 0;  // counted from 1, as shown
    int index = 0;
    bool positive = false;
    hat_direction hat = hat_direction::up;

    static input key(int code);
    static input button(int joystick, int number);
    static input axis(int joystick, int number, bool positive);
    static input pov(int joystick, hat_direction direction);
    static input joystick_only(int joystick);
    static input value(int value);

    bool operator==(const input& other) const;
    bool operator!=(const input& other) const { return !(*this == other); }
};

// The capture box's text: the key's name ("Left Ctrl"; a code without one as its number),
// "Joystick 1 Button 3", "Joystick 1 axis 1 dir 0" (axis 1 to its negative end), "Joystick 2 POV
// Left", "Joystick 1 " for an input the program does not name, the bare value for a code, "" for
// none.
std::string input_name(const input& bound);

// The leading decimal integer of a settings value ("203\r" gives 203); 0 when there is none.
// Digits beyond what an int holds are ignored rather than overflowing.
int leading_integer(std::string_view value);

// True for a non-empty text of decimal digits only.
bool is_decimal_number(std::string_view text);

}  // namespace rx
