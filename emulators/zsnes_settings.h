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

// The input of a file value: keys up to 255, joysticks from 256 on (past the ninth joystick a code
// of its own).
input input_of(std::string_view value);
input joy_input(int value);

// The file value of an input; nullopt for one this file cannot hold (a joystick past the ninth,
// a button past 15, an axis past the second). A hat direction is stored as the stick direction
// it matches, and reads back as that.
std::optional<int> value_of(const input& bound);

// Fills `records` (resized to 24 when smaller), walking the keys in the order the file holds
// them, each after the previous one. Stops at the first key that is missing, out of order or has
// no "=" on its line, keeping what was read before it.
settings_load load(std::string_view bytes, std::vector<binding>& records);

// The new file: each "plNcontrl" line switched to "plNcontrl=1" and the twelve lines after it
// rewritten, every other byte kept. Nothing is written when a "plNcontrl" line is missing, the
// thirteen lines after it are not all there, the two players' lines overlap, or a line does not
// hold the key that belongs there. A row no capture wrote into keeps its line byte for byte.
settings_save save(std::string_view bytes, const std::vector<binding>& records);

inline constexpr const char* bad_layout_text = "Failed to save controls - snes";

}  // namespace rx::zsnes
