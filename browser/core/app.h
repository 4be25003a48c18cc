// Program-wide state of the browser and the services the screens and handlers call.
#pragma once
#include <SDL.h>

#include <optional>
#include <string>
#include <string_view>

#include "browser/core/logic/user_info.h"

namespace rx {

class display_message;

// Screen numbers as held in current_screen.
enum screen_id : int {
    screen_login = 1,
    screen_main = 2,
    screen_news = 3,
    screen_game_list = 4,
    screen_game_info = 5,
    screen_controls = 6,
    screen_atari2600 = 7,
    screen_colecovision = 8,
    screen_gameboy = 9,
    screen_gameboycolor = 10,
    screen_gameboyadvance = 11,
    screen_gamegear = 12,
    screen_genesis = 13,
    screen_nes = 14,
    screen_sms = 15,
    screen_snes = 16,
    screen_facebook = 17,
    screen_pce = 18,
    screen_n64 = 19,
};

namespace app {

user_info& user();
int current_screen();
void set_current_screen(int number);
bool fullscreen();

void clear_controls();
void toggle_fullscreen();
void save_settings();
void request_quit();
bool quit_requested();

// Gate of the keyboard- and joystick-driven pointer; the console screens' wrappers close it while a
// Set All captures inputs, so arrow keys and the fullscreen keys reach the capture instead.
bool cursor_keys_enabled();
void set_cursor_keys_enabled(bool enabled);

// The one timed message line; valid once start-up has constructed it.
display_message& message();

// Wait image: dark background, `surface` at (x, y), flip.
void show(int x, int y, SDL_Surface* surface);

// Switches to the game list for system `number` / reloads it with a new name filter.
void load_system(int number);
void load_search(const std::string& filter);

}  // namespace app

// The running program's folder (no trailing separator) and the one-line error log beside it.
std::optional<std::string> get_directory();
void log_error(std::string_view text);

}  // namespace rx
