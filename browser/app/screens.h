// The browser's screen objects, created once at start-up and kept until the program ends: the
// catalogue's screens and the controls menu by name, and one controls screen per console table row.
#pragma once
#include <array>
#include <memory>
#include <string_view>

#include "browser/controls/console_screen.h"
#include "browser/controls/rx_controls_input.h"
#include "browser/screens/rx_facebook_input.h"
#include "browser/screens/rx_game_info_input.h"
#include "browser/screens/rx_login_input.h"
#include "browser/screens/rx_main_input.h"
#include "browser/screens/rx_news_input.h"
#include "browser/screens/rx_system_input.h"
#include "emulators/consoles.h"

namespace rx {

struct screen_set {
    screen_set();

    rx_login_input login;          // 1
    rx_main_input main_menu;       // 2
    rx_news_input news;            // 3
    rx_system_input game_list;     // 4
    rx_game_info_input game_info;  // 5
    rx_controls_input controls;    // 6
    rx_facebook_input facebook;    // 17

    // The screen object of a screen number, null outside 1..19.
    screen* by_number(int number);
    // The console controls screen of a screen number; null for a number no console has.
    console_screen* console(int number);
    // The controls screen of a system code; the code must be one of the console table's.
    console_screen& of(std::string_view code);
    // The console screens in the console table's order.
    const std::array<std::unique_ptr<console_screen>, console_count>& consoles() const {
        return consoles_;
    }

  private:
    std::array<std::unique_ptr<console_screen>, console_count> consoles_;
};

// Created on first use and never destroyed, so no screen outlives SDL in a static destructor.
screen_set& screens();

}  // namespace rx
