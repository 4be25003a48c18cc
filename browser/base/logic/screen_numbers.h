// The numbers current_screen takes for the screens that are not consoles.
#pragma once

namespace rx {

// Screen numbers as held in current_screen, apart from the consoles' controls screens.
enum screen_id : int {
    screen_login = 1,
    screen_main = 2,
    screen_news = 3,
    screen_game_list = 4,
    screen_game_info = 5,
    screen_controls = 6,
    screen_facebook = 17,
    // The consoles' controls screens take the other numbers up to 19: see the console table.
    screen_last = 19,
};

}  // namespace rx
