// The browser core's per-screen wrappers: transitions on clicks, then the screen's handling.
#pragma once
#include <SDL.h>

#include "emulators/consoles.h"

namespace rx {

void handle_login_events(SDL_Event event);
void login_show();
void handle_main_events(SDL_Event event);
void main_show();
void handle_news_events(SDL_Event event);
void news_show();
void handle_system_events(SDL_Event event);
void system_show();
void handle_game_info_events(SDL_Event event);
void game_info_show();
void handle_controls_events(SDL_Event event);
void controls_show();
void handle_facebook_events(SDL_Event event);
void facebook_show();
// Every console's controls screen, logged under the wrapper names of its console table row.
void handle_console_events(const console_row& row, const SDL_Event& event);
void console_show(const console_row& row);

// The main loop's switch on current_screen: a number outside 1..19 dispatches nothing.
void dispatch_events(int screen_number, const SDL_Event& event);
void dispatch_show(int screen_number);

}  // namespace rx
