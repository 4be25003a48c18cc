// The browser's 19 screen objects, created once at start-up and kept until the program ends.
#pragma once
#include "browser/controls/console_screen.h"
#include "browser/controls/rx_atari2600_controls_input.h"
#include "browser/controls/rx_colecovision_controls_input.h"
#include "browser/controls/rx_controls_input.h"
#include "browser/controls/rx_gameboy_controls_input.h"
#include "browser/controls/rx_gameboyadvance_controls_input.h"
#include "browser/controls/rx_gameboycolor_controls_input.h"
#include "browser/controls/rx_genesis_controls_input.h"
#include "browser/controls/rx_n64_controls_input.h"
#include "browser/controls/rx_nes_controls_input.h"
#include "browser/controls/rx_pce_controls_input.h"
#include "browser/controls/rx_snes_controls_input.h"
#include "browser/screens/rx_facebook_input.h"
#include "browser/screens/rx_game_info_input.h"
#include "browser/screens/rx_login_input.h"
#include "browser/screens/rx_main_input.h"
#include "browser/screens/rx_news_input.h"
#include "browser/screens/rx_system_input.h"

namespace rx {

struct screen_set {
    rx_login_input login;                             // 1
    rx_main_input main_menu;                          // 2
    rx_news_input news;                               // 3
    rx_system_input game_list;                        // 4
    rx_game_info_input game_info;                     // 5
    rx_controls_input controls;                       // 6
    rx_atari2600_controls_input atari2600;            // 7
    rx_colecovision_controls_input colecovision;      // 8
    rx_gameboy_controls_input gameboy;                // 9
    rx_gameboycolor_controls_input gameboycolor;      // 10
    rx_gameboyadvance_controls_input gameboyadvance;  // 11
    // 12
    rx_colecovision_controls_input gamegear{rx_colecovision_controls_input::console::gamegear};
    rx_genesis_controls_input genesis;  // 13
    rx_nes_controls_input nes;          // 14
    // 15
    rx_colecovision_controls_input sms{rx_colecovision_controls_input::console::sms};
    rx_snes_controls_input snes;  // 16
    rx_facebook_input facebook;   // 17
    rx_pce_controls_input pce;    // 18
    rx_n64_controls_input n64;    // 19

    // The screen object of a screen number, null outside 1..19.
    screen* by_number(int number);
    // The console controls screen of a number in 7..16, 18, 19; null for any other.
    console_screen* console(int number);
};

// Created on first use and never destroyed, so no screen outlives SDL in a static destructor.
screen_set& screens();

}  // namespace rx
