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

// Shown names of file values: keys up to 255, joysticks from 4096 on.
std::string get_std_name(std::string_view value);
std::string get_joy_std_name(int value);

// The file value of a shown name; nullopt for a joystick name this file cannot hold (no single
// joystick digit 1 to 9, no button number), which leaves the row's line as it was.
std::optional<int> get_joy_emu_name(std::string_view name);
std::optional<int> get_emu_name(std::string_view name);

// Fills `records` (resized to 22 when smaller) from the file's bytes, in record order; stops at
// the first binding whose line the file lacks.
settings_load load(std::string_view bytes, std::vector<binding>& records);

// The new file: the 22 lines rewritten from the shown names, every other byte kept. A row left
// as loaded whose value has no name of its own (a bare key number, a value between the key range
// and 4096) keeps its line byte for byte.
settings_save save(std::string_view bytes, const std::vector<binding>& records);

}  // namespace rx::gens
