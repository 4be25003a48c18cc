// The consoles the browser knows: system numbers, catalogue system codes, emulator programs and
// controls screens.
#pragma once
#include <array>
#include <string_view>

namespace rx {

// One emulator entry, found by the system code of a catalogue row.
struct emulator_entry {
    std::string_view system_code;  // "GEN"
    std::string_view program;  // base name in the program folder ("gens"; ".exe" added on Windows)
    std::string_view scheme;   // start of the launch argument ("rxgen://")
    std::string_view display_name;  // console name in the status message ("Sega Genesis")
};

// Rows in the order codes are compared; several consoles share a program (and sometimes a scheme).
extern const std::array<emulator_entry, 12> emulator_table;

// Exact comparison of the code; null for a code the browser has no emulator for.
const emulator_entry* find_emulator(std::string_view system_code);

// System numbers as the main menu opens them and user_info keeps the last one.
enum system_number : int {
    system_all = 0,
    system_atari2600 = 1,
    system_colecovision = 2,
    system_gameboy = 3,
    system_gameboycolor = 4,
    system_gameboyadvance = 5,
    system_gamegear = 6,
    system_genesis = 7,
    system_nes = 8,
    system_sms = 9,
    system_snes = 10,
    system_pce = 11,
    system_n64 = 12,
    system_free = 1000,
};

struct system_entry {
    int number;
    std::string_view title;  // game list title ("Genesis")
    std::string_view
        code;             // system code sent in the game list request ("GEN"; "ALL" for 0 and 1000)
    int controls_screen;  // screen opened by the game list's controls button
};

extern const std::array<system_entry, 14> system_table;

// Null for a number that is none of the above.
const system_entry* find_system(int number);

// Controls screen for a system number; the controls menu (6) for all systems, the free sampler and
// unknown numbers.
int controls_screen_for_system(int number);

}  // namespace rx
