// Telling apart the consoles that share MEKA's launch scheme ("rxsms://"): the Master System, the
// Game Gear and the ColecoVision, by the game image and, failing that, by the game id's extension.
#pragma once
#include <optional>
#include <string_view>

#include "retro/logic/console.h"

namespace rx::retro {

enum class meka_console { master_system, game_gear, colecovision };

// The Sega header ("TMR SEGA" at 0x7FF0, 0x3FF0 or 0x1FF0) names the console in the high four
// bits of its last byte: 3 and 4 the Master System, 5 to 7 the Game Gear. A ColecoVision image
// begins AA 55 or 55 AA. An image that says neither goes by the id's extension ("gg", "col"); any
// other is taken for a Master System game.
meka_console meka_console_of(std::string_view image, std::string_view game_id);

// Before the image is there, only the id can tell: the ColecoVision when its extension says so.
bool is_colecovision_id(std::string_view game_id);

// The game id at the end of a launch argument (after its last "/").
std::string_view game_id_of_launch(std::string_view launch_argument);

// The console entry for a game: the scheme's entry, made the Master System's or the Game Gear's
// for MEKA's scheme by the image; nullopt for a console without a core (the ColecoVision too).
std::optional<console_entry> console_of_game(std::string_view launch_argument,
                                             std::string_view image);

}  // namespace rx::retro
