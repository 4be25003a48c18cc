// The switch from current_screen to the screen objects and their wrappers.
#include <array>

#include "browser/core/handlers.h"
#include "browser/core/screens.h"

namespace rx {

namespace {

struct screen_entry {
    void (*events)(SDL_Event);
    void (*show)();
};

// Index 0 is screen 1.
const std::array<screen_entry, 19> dispatch_table{{
    {handle_login_events, login_show},
    {handle_main_events, main_show},
    {handle_news_events, news_show},
    {handle_system_events, system_show},
    {handle_game_info_events, game_info_show},
    {handle_controls_events, controls_show},
    {handle_atari2600_events, atari2600_show},
    {handle_colecovision_events, colecovion_show},
    {handle_gameboy_events, gameboy_show},
    {handle_gameboycolor_events, gameboycolor_show},
    {handle_gameboyadvance_events, gameboyadvance_show},
    {handle_gamegear_evetns, gamegear_show},
    {handle_genesis_events, genesis_show},
    {handle_nes_events, nes_show},
    {handle_sms_events, sms_show},
    {handle_snes_events, snes_show},
    {handle_facebook_events, facebook_show},
    {handle_pce_events, pce_show},
    {handle_n64_events, n64_show},
}};

const screen_entry* entry(int number) {
    if (number < 1 || number > static_cast<int>(dispatch_table.size())) return nullptr;
    return &dispatch_table[number - 1];
}

}  // namespace

screen_set& screens() {
    static screen_set* const set = new screen_set;
    return *set;
}

screen* screen_set::by_number(int number) {
    switch (number) {
        case 1:
            return &login;
        case 2:
            return &main_menu;
        case 3:
            return &news;
        case 4:
            return &game_list;
        case 5:
            return &game_info;
        case 6:
            return &controls;
        case 17:
            return &facebook;
        default:
            return console(number);
    }
}

console_screen* screen_set::console(int number) {
    switch (number) {
        case 7:
            return &atari2600;
        case 8:
            return &colecovision;
        case 9:
            return &gameboy;
        case 10:
            return &gameboycolor;
        case 11:
            return &gameboyadvance;
        case 12:
            return &gamegear;
        case 13:
            return &genesis;
        case 14:
            return &nes;
        case 15:
            return &sms;
        case 16:
            return &snes;
        case 18:
            return &pce;
        case 19:
            return &n64;
        default:
            return nullptr;
    }
}

void dispatch_events(int screen_number, const SDL_Event& event) {
    if (const screen_entry* e = entry(screen_number)) e->events(event);
}

void dispatch_show(int screen_number) {
    if (const screen_entry* e = entry(screen_number)) e->show();
}

}  // namespace rx
