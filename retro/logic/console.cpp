// The libretro player's view of the console table: schemes to Debian's core libraries and the
// emulator whose settings the game answers to.
#include "retro/logic/console.h"

#include "emulators/consoles.h"

namespace rx::retro {

std::optional<console_entry> console_of_launch(std::string_view launch_argument) {
    // Consoles sharing a scheme share its core too (Gameboy and Gameboy Color): the first row is
    // the one named.
    for (const console_row& row : console_table) {
        if (row.core.empty()) continue;
        if (launch_argument.substr(0, row.scheme.size()) == row.scheme)
            return console_entry{row.scheme, row.core, profile_named(row.emulator),
                                 row.display_name};
    }
    return std::nullopt;
}

}  // namespace rx::retro
