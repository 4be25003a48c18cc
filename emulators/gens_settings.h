// The Gens pad settings: the "[Input]" section of gens.cfg, read into and written from 22 bindings.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulators/binding_codec.h"

namespace rx::gens {

// Up, Down, Left, Right, Start, A, B, C, X, Y, Z for player 1, then the same for player 2.
inline constexpr int row_count = 11;
inline constexpr int binding_count = 2 * row_count;

// "P1.Up=" for record 0, "P2.Z=" for record 21.
std::string key_of(int record);
// The binding's line, counted from the section's "[Input]" line.
int offset_of(int record);

// The last line holding "[Input]", or line 0 when none does.
std::size_t base_line(const std::vector<std::string>& lines);

// The value of a binding line: after its first "=", without the line feed (a carriage return
// stays).
std::string get_control(std::string_view line);

// The input of a file value: keys up to 255, joysticks from 4096 on (a value between them, or of a
// tenth joystick, is a code of its own).
input input_of(std::string_view value);
input joy_input(int value);

// The file value of an input; nullopt for one this file cannot hold (a joystick past the ninth,
// a button whose code would read back as another input, an axis past the second).
std::optional<int> value_of(const input& bound);

// Fills `records` (resized to 22 when smaller) from the file's bytes, in record order; stops at
// the first binding whose line the file lacks.
settings_load load(std::string_view bytes, std::vector<binding>& records);

// The new file: the lines of the captured rows rewritten from their inputs, every other byte kept.
settings_save save(std::string_view bytes, const std::vector<binding>& records);

}  // namespace rx::gens
