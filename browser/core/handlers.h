// The browser core's per-screen wrappers: transitions on clicks, then the screen's handling.
#pragma once
#include <SDL.h>

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
void handle_atari2600_events(SDL_Event event);
void atari2600_show();
void handle_colecovision_events(SDL_Event event);
void colecovion_show();
void handle_gameboy_events(SDL_Event event);
void gameboy_show();
void handle_gameboycolor_events(SDL_Event event);
void gameboycolor_show();
void handle_gameboyadvance_events(SDL_Event event);
void gameboyadvance_show();
void handle_gamegear_evetns(SDL_Event event);
void gamegear_show();
void handle_genesis_events(SDL_Event event);
void genesis_show();
void handle_nes_events(SDL_Event event);
void nes_show();
void handle_sms_events(SDL_Event event);
void sms_show();
void handle_snes_events(SDL_Event event);
void snes_show();
void handle_facebook_events(SDL_Event event);
void facebook_show();
void handle_pce_events(SDL_Event event);
void pce_show();
void handle_n64_events(SDL_Event event);
void n64_show();

// The main loop's switch on current_screen: a number outside 1..19 dispatches nothing.
void dispatch_events(int screen_number, const SDL_Event& event);
void dispatch_show(int screen_number);

}  // namespace rx
