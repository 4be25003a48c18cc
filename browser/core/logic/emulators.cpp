// The console tables shared by the game list, play and the controls screens.
#include "browser/core/logic/emulators.h"

namespace rx {

const std::array<emulator_entry, 12> emulator_table = {{
    {"2600", "z26", "rxa26://", "Atari 2600"},
    {"COL", "mekaw", "rxsms://", "Colecovision"},
    {"GB", "visualboyadvance", "rxgbc://", "Gameboy"},
    {"GBC", "visualboyadvance", "rxgbc://", "Gameboy Color"},
    {"GBA", "visualboyadvance", "rxgba://", "Gameboy Advance"},
    {"SGG", "mekaw", "rxsms://", "Sega Gamegear"},
    {"GEN", "gens", "rxgen://", "Sega Genesis"},
    {"NES", "nester", "rxnes://", "Nintendo Entertainment System"},
    {"SMS", "mekaw", "rxsms://", "Sega Master System"},
    // The Super NES emulator registered its own scheme name long ago; it is not formed like the
    // others.
    {"SNES", "zsnesw", "zsnes://", "Super Nintendo Entertainment System"},
    {"PCE", "ootake", "rxpce://", "Turbo Graphics 16"},
    {"N64", "1964", "rxn64://", "Nintendo 64"},
}};

const emulator_entry* find_emulator(std::string_view system_code) {
    for (const auto& entry : emulator_table) {
        if (entry.system_code == system_code) return &entry;
    }
    return nullptr;
}

// Controls screens: 6 controls menu, 7 Atari 2600 ... 16 Super NES, 18 PC Engine, 19 Nintendo 64.
const std::array<system_entry, 14> system_table = {{
    {system_all, "All Systems", "ALL", 6},
    {system_atari2600, "Atari 2600", "2600", 7},
    {system_colecovision, "Colecovision", "COL", 8},
    {system_gameboy, "Gameboy", "GB", 9},
    {system_gameboycolor, "Gameboy Color", "GBC", 10},
    {system_gameboyadvance, "Gameboy Advance", "GBA", 11},
    {system_gamegear, "Gamegear", "SGG", 12},
    {system_genesis, "Genesis", "GEN", 13},
    {system_nes, "Nes", "NES", 14},
    {system_sms, "SMS", "SMS", 15},
    {system_snes, "SNES", "SNES", 16},
    {system_pce, "TG-16", "PCE", 18},
    {system_n64, "Nintendo 64", "N64", 19},
    {system_free, "Free Sampler", "ALL", 6},
}};

const system_entry* find_system(int number) {
    for (const auto& entry : system_table) {
        if (entry.number == number) return &entry;
    }
    return nullptr;
}

int controls_screen_for_system(int number) {
    const system_entry* entry = find_system(number);
    return entry ? entry->controls_screen : 6;
}

}  // namespace rx
