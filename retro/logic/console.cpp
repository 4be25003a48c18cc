// The console table of the libretro player: schemes to Debian's core libraries and settings.
#include "retro/logic/console.h"

#include <array>

namespace rx::retro {

namespace {

// Gameboy and Gameboy Color share a scheme and so a core; so do the Master System and Game Gear
// (sega_consoles.h tells them apart, and from the ColecoVision, which has no core yet).
constexpr std::array<console_entry, 7> consoles = {{
    {"rxgbc://", "gambatte_libretro.so", settings_kind::vba, "Gameboy"},
    {"rxgba://", "mgba_libretro.so", settings_kind::vba, "Gameboy Advance"},
    {"rxnes://", "nestopia_libretro.so", settings_kind::nester, "Nintendo Entertainment System"},
    {"zsnes://", "bsnes_mercury_performance_libretro.so", settings_kind::zsnes,
     "Super Nintendo Entertainment System"},
    {"rxpce://", "mednafen_pce_fast_libretro.so", settings_kind::ootake, "Turbo Graphics 16"},
    {"rxgen://", "libblastem.so", settings_kind::gens, "Genesis"},
    {"rxsms://", "libblastem.so", settings_kind::meka, "Master System"},
}};

}  // namespace

std::optional<console_entry> console_of_launch(std::string_view launch_argument) {
    for (const console_entry& entry : consoles) {
        if (launch_argument.substr(0, entry.scheme.size()) == entry.scheme) return entry;
    }
    return std::nullopt;
}

}  // namespace rx::retro
