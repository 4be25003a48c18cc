// Ootake's two-button joypad settings inside its binary ootake.dat.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulators/binding_codec.h"

namespace rx::ootake {

inline constexpr int player_count = 2;
inline constexpr int button_count = 8;
inline constexpr int slot_count = player_count * button_count;

// The marker the blocks are measured from. The file holds NUL bytes, so it is searched for by
// length, never as a C string.
inline constexpr std::string_view marker = "[APP INPUT] JoyPad Setting for 2Button";
// Each player's eight 16-bit little-endian codes start this far from the marker's first byte.
inline constexpr std::array<std::size_t, player_count> block_offsets = {280, 304};
inline constexpr std::size_t block_size = 2 * button_count;

// The file's entry of each screen button: the screen reads Up, Down, Left, Right, Select, Run,
// I, II; the file keeps Up, Right, Down, Left, Select, Run, I, II.
inline constexpr std::array<int, button_count> entry_of_button = {0, 2, 3, 1, 4, 5, 6, 7};

// What a load logs when the file lacks the marker or room for both blocks: the range error of
// taking the blocks that are not there.
inline constexpr const char* missing_blocks_text = "invalid string position";

// The marker's position when the file holds it and both blocks after it; nullopt otherwise.
std::optional<std::size_t> find_marker(std::string_view bytes);

// The input of a code: a key below 300, then 100 codes per joystick (the stick and hat directions,
// buttons from input 50 on). Inputs 8 to 49 name nothing a capture box makes: such a code, or one
// past the ninth joystick, is a value of its own.
input input_of(std::uint16_t code);
// The code of an input; nullopt for one the file cannot hold.
std::optional<std::uint16_t> code_of(const input& bound);

// The sixteen bindings (player 1 buttons 0 to 7, then player 2), each with its code in decimal as
// the emulator value; false, with `records` untouched, when the file lacks the marker or is too
// short for both blocks.
bool load(std::string_view bytes, std::vector<binding>& records);
// The file with the two blocks rewritten and every other byte as it was; nullopt (write nothing)
// when the file lacks the marker or is too short, or fewer than sixteen records are given. A
// button nobody captured into keeps its code, so unnamed codes survive; so does one whose input
// the file cannot hold.
std::optional<std::string> save(std::string_view bytes, const std::vector<binding>& records);

}  // namespace rx::ootake
