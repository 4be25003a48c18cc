// Taking the emulator's launch argument apart into user name, password, game server host and game
// id.
#pragma once
#include <string>
#include <string_view>

namespace rx::lib {

struct launch_fields {
    std::string user_name;
    std::string password;
    std::string host;
    std::string game_name;
};

// Fills the fields in order from "scheme//user:password@host/game". The user name ends at the
// first ":", the password (which may hold ":", "/" and "@") at the last "@" that has a "/" after
// it; runs of "/" before the user name and the game are skipped. Stops at the first separator that
// is missing, leaving the later fields as they were; true when all four were cut.
bool parse_launch_argument(std::string_view text, launch_fields& fields);

}  // namespace rx::lib
