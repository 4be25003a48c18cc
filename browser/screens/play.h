// Starting a game's emulator: the status thread, the launch argument and watching the emulator.
#pragma once
#include <string>

#include "browser/screens/logic/game_list.h"
#include "emulators/systems.h"

namespace rx {

// The emulator program of a table entry in the program folder; empty when the folder is unknown.
std::string emulator_path(const emulator_entry& entry);

// Tells the social network what the user is playing, starts the game's emulator and returns when it
// has ended. False (with one log line) when the row's system has no emulator or the program folder
// is unknown; the availability of the row is the caller's to check.
bool play_game(const catalogue::game_row& game, const std::wstring& user_name,
               const std::wstring& password);

// Runs on the status thread; opens the status page when the service answers with an error.
void update_facebook_status(const std::wstring& user_name, const std::string& title,
                            const std::string& display_name);

}  // namespace rx
