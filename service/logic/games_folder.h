// The operator's games folder: real game files and the catalogue file that lists them.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "service/logic/catalogue.h"

namespace rx::service {

// The game server keeps save names of at most this many characters. Clients name a game's save
// after its id with ".sav" added, so an id must leave room for that or its saves never arrive.
inline constexpr std::size_t max_save_name = 100;
inline constexpr std::size_t max_game_id = max_save_name - 4;

// The catalogue file inside the games folder.
inline constexpr const char* games_catalogue_name = "catalogue.txt";

// The largest game image a client can take: rxlib inflates into a buffer of this size.
inline constexpr std::uint64_t largest_game_image = 67108864;

// What the reader needs to know about a file the catalogue names (a game or a screenshot),
// relative to the games folder: its size, or nullopt when it is missing or cannot be read.
using file_probe = std::function<std::optional<std::uint64_t>(const std::string& name)>;

// One line of the catalogue file:
// id TAB system code TAB title TAB game file TAB copies TAB free sampler (0/1) TAB screenshots
// (comma-separated, may be empty). Lines starting with '#' and empty lines are skipped.
// `taken_ids` are ids already served (the sample catalogue); a repeat of one is refused like a
// repeat inside the file. Every refused line adds one message "CATALOGUE:LINE: reason" to `errors`
// and the result is then empty: the service never starts with half of the folder.
std::optional<std::vector<game_record>> parse_games_catalogue(
    std::string_view text, const std::string& catalogue_name, const file_probe& probe,
    const std::vector<std::string>& taken_ids, std::vector<std::string>& errors);

}  // namespace rx::service
