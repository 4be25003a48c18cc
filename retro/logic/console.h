// Which core plays which console, chosen by the launch argument's scheme from the console table.
#pragma once
#include <optional>
#include <string_view>

#include "emulators/profiles.h"

namespace rx::retro {

struct console_entry {
    std::string_view scheme;        // "rxnes://"
    std::string_view core_library;  // file name in the program folder's cores folder
    // The emulator rx_retro stands in for: its settings are the ones the game answers to.
    const emulator_profile* emulator = nullptr;
    std::string_view console_name;  // as a player knows it, for messages
};

// The first console of the table whose scheme begins the launch argument and that has a core;
// nullopt for a console without one.
std::optional<console_entry> console_of_launch(std::string_view launch_argument);

// The folder below the program folder that holds the cores.
inline constexpr std::string_view cores_folder = "cores";

}  // namespace rx::retro
