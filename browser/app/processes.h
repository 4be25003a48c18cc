// Everything the browser starts outside itself: web pages, emulators and the updater, and watching
// a game.
#pragma once
#include <string>

#include "platform/process.h"

namespace rx {

using platform::process_handle;

// Web pages in the user's web browser; the result of the start is not checked.
void open_signup_page();
void open_account_page(const std::wstring& user_name, const std::wstring& password);
void open_facebook_authorisation(const std::wstring& user_name);
void open_facebook_status(const std::wstring& user_name);

// Starts the emulator with the launch argument as its whole parameter text. 0 when the start
// failed, and also (with a log line) when the argument would not fit the 511 bytes an emulator is
// promised.
process_handle start_emulator(const std::string& program_path, const std::wstring& launch_argument);

// False for 0; otherwise true while the process has not ended.
bool is_running(process_handle process);

bool pause_key_down();

// Ends a running emulator and releases the handle; a process that already ended is only released.
void close_game(process_handle process);

// Brings the iconified browser window back.
void restore_window();

// Starts the updater with " <fullscreen 0/1> <version text>"; the caller ends the browser right
// after. A start that fails is logged.
void launch_update(const std::string& version_text);

// True when the updater's program file stands beside the browser.
bool updater_present();

// The whole life of a game seen from the browser: start the emulator, iconify after 1 s, poll every
// 50 ms (Pause ends the game), then restore the window and centre the pointer. Returns when the
// game is over.
void watch_game(const std::string& program_path, const std::wstring& launch_argument);

}  // namespace rx
