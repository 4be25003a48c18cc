// Which core plays which console, chosen by the launch argument's scheme.
#pragma once
#include <optional>
#include <string_view>

namespace rx::retro {

// The settings each console's controls screen writes, and so the ones its game answers to.
enum class settings_kind { vba, nester, zsnes, ootake, gens, meka };

struct console_entry {
    std::string_view scheme;        // "rxnes://"
    std::string_view core_library;  // file name in the program folder's cores folder
    settings_kind settings;
    std::string_view console_name;  // as a player knows it, for messages
};

// The entry whose scheme begins the launch argument; nullopt for a console without a core.
std::optional<console_entry> console_of_launch(std::string_view launch_argument);

// The folder below the program folder that holds the cores.
inline constexpr std::string_view cores_folder = "cores";

}  // namespace rx::retro
