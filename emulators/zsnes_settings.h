// The ZSNES pad settings: twelve buttons of two players in zinput.cfg.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulators/binding_codec.h"

namespace rx::zsnes {

// Up, Down, Left, Right, Select, Start, A, B, X, Y, L, R for player 1, then for player 2.
inline constexpr int button_count = 12;
inline constexpr int binding_count = 2 * button_count;

// "pl1upk" for record 0, "pl2Rk" for record 23.
std::string key_of(int record);
// The binding's line, counted from the player's "plNcontrl" line.
int offset_of(int record);

// Shown names of file values: keys up to 255, joysticks from 256 on.
std::string get_std_name(std::string_view value);
std::string get_joy_std_name(int value);

// The file value of a shown name; nullopt for a joystick name without a single joystick digit or
// a button number, which leaves the row's line as it was.
std::optional<int> get_joy_emu_name(std::string_view name);
std::optional<int> get_emu_name(std::string_view name);

// Fills `records` (resized to 24 when smaller), walking the keys in the order the file holds
// them, each after the previous one. Stops at the first key that is missing, out of order or has
// no "=" on its line, keeping what was read before it.
settings_load load(std::string_view bytes, std::vector<binding>& records);

// The new file: each "plNcontrl" line switched to "plNcontrl=1" and the twelve lines after it
// rewritten, every other byte kept. Nothing is written when a "plNcontrl" line is missing, the
// thirteen lines after it are not all there, the two players' lines overlap, or a line does not
// hold the key that belongs there. A row no capture wrote into whose value has no name of its own
// keeps its line byte for byte.
settings_save save(std::string_view bytes, const std::vector<binding>& records);

inline constexpr const char* bad_layout_text = "Failed to save controls - snes";

}  // namespace rx::zsnes
