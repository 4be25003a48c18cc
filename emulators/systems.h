// The views of the console table that the game list, play and the controls screens look up: the
// emulator of a system code, and the title, code and controls screen of a system number.
#pragma once
#include <array>
#include <string_view>

#include "emulators/consoles.h"

namespace rx {

// One emulator entry, found by the system code of a catalogue row.
struct emulator_entry {
    std::string_view system_code;  // "GEN"
    std::string_view program;  // base name in the program folder ("gens"; ".exe" added on Windows)
    std::string_view scheme;   // start of the launch argument ("rxgen://")
    std::string_view display_name;  // console name in the status message ("Sega Genesis")
};

// One row per console, in the console table's order; several consoles share a program (and
// sometimes a scheme).
extern const std::array<emulator_entry, console_count> emulator_table;

// Exact comparison of the code; null for a code the browser has no emulator for.
const emulator_entry* find_emulator(std::string_view system_code);

// The system numbers that are not consoles: every console's games, and the free sampler.
enum system_number : int {
    system_all = 0,
    system_free = 1000,
};

// The controls menu, which the game list's controls button opens for the two above.
inline constexpr int controls_menu_screen = 6;

struct system_entry {
    int number;
    std::string_view title;  // game list title ("Genesis")
    // system code sent in the game list request ("GEN"; "ALL" for 0 and 1000)
    std::string_view code;
    int controls_screen;  // screen opened by the game list's controls button
};

// All systems, the consoles by system number, the free sampler.
extern const std::array<system_entry, console_count + 2> system_table;

// Null for a number that is none of the above.
const system_entry* find_system(int number);

// Controls screen for a system number; the controls menu (6) for all systems, the free sampler and
// unknown numbers.
int controls_screen_for_system(int number);

}  // namespace rx
