// The MEKA pad settings: keyboard and joystick bindings of two players in meka.inp.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "emulators/binding_codec.h"

namespace rx::meka {

// Up, Down, Left, Right, Button 1, Button 2, Start; records run player 1 keyboard, player 1
// joystick, player 2 keyboard, player 2 joystick, seven each.
inline constexpr int control_count = 7;
inline constexpr int binding_count = 4 * control_count;

// "player_up" for control 0.
const char* key_of(int control);
bool is_joystick_record(int record);
int player_of(int record);  // 1 or 2
// The fixed line (counted from 0) that holds the record's binding: 63 to 69, 76 to 82 for the
// keyboards, 89 to 95, 102 to 108 for the joysticks.
int line_of(int record);

// The four section texts, each from its header up to the next one.
struct sections {
    std::string_view keyboard[2];
    std::string_view joypad[2];
};
// False when a header is missing from the input block (from "[Keyboard 1]" to a "[Mouse 1]" that
// follows it) or the headers are out of order.
bool find_sections(std::string_view text, sections& found);

// The value of `key`'s line in a section: after "key " for keyboards, from the type word on for
// joysticks, up to the line feed (a carriage return stays). Empty when the key, or the type word
// on the key's own line, is missing.
std::string parse_line(std::string_view key, std::string_view section, std::string_view type_word);

// The input of a keyboard value, a key's name (a carriage return after it is not part of it);
// none for a name the key table does not hold.
input key_input(std::string_view value);
// The input of a joystick value for player `player`: none for an empty value, the joystick alone
// for a stick text this program does not read.
input joy_input(std::string_view value, int player);
// File text (starting with a blank) of a joystick input; "" when it is none this file holds.
std::string joy_value(const input& bound);

// What loading did: `load` fills the records; `missing_file` empties them (the emulator starts
// with no bindings then); `no_section` leaves them alone and the screen must not open.
enum class load_status { loaded, empty_file, no_section };
struct load_outcome {
    load_status status = load_status::loaded;
    std::string error;  // the line to log, "" for none
};
load_outcome load(std::string_view bytes, std::vector<binding>& records);
void load_missing_file(std::vector<binding>& records);

// The new file: the fixed lines of the captured rows rewritten, every other byte kept. Every one of
// the 28 lines is checked first (its control's key, then "key" followed by text for keyboards,
// "=" for joysticks); if one fails nothing is written. A row no capture wrote into, or whose input
// this file cannot hold, keeps its line byte for byte.
settings_save save(std::string_view bytes, const std::vector<binding>& records);

// Logged when a section header is missing, as a range error on the section text would say.
inline constexpr const char* missing_section_text = "invalid string position";
inline constexpr const char* empty_file_text = "Failed to load controls - colecovision";
inline constexpr const char* bad_line_text = "Failed to save controls - colecovision";

}  // namespace rx::meka
