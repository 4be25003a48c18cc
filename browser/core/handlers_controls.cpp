// Wrappers of the controls menu (6) and the console screens (7..16, 18, 19).
#include "browser/core/app.h"
#include "browser/core/handlers.h"
#include "browser/core/handlers_common.h"
#include "browser/core/screens.h"

namespace rx {

namespace {

// The clicks were left by the previous event; the first set one acts, then the screen sees this
// event.
void handle_console(console_screen& screen, bool gates_cursor, const SDL_Event& event) {
    if (gates_cursor) app::set_cursor_keys_enabled(!screen.capture_in_progress());
    if (screen.home_button().clicked()) {
        go_to(screen_main);
    } else if (screen.back_button().clicked()) {
        go_to(screen.return_screen());
    }
    screen.handle_events(event);
}

void show_screen(screen& screen, const char* name) {
    guarded(name, [&] { screen.show(); });
}

}  // namespace

void handle_controls_events(SDL_Event event) {
    guarded("handle_controls_events", [&] {
        auto& menu = screens().controls;
        if (menu.home_button().clicked()) {
            go_to(screen_main);
        } else {
            const auto& numbers = rx_controls_input::console_screens();
            for (int i = 0; i < rx_controls_input::console_count; ++i) {
                if (!menu.console_button(i).clicked()) continue;
                // Opening a console screen keeps the menu's state; Back's own change of screen
                // clears it.
                console_screen* target = screens().console(numbers[i]);
                target->set_return_screen(screen_controls);
                if (numbers[i] != screen_atari2600) target->load_controls();
                app::set_current_screen(numbers[i]);
                break;
            }
        }
        menu.handle_events(event);
    });
}

void controls_show() {
    show_screen(screens().controls, "controls_show");
}

#define RX_CONSOLE_WRAPPERS(events_name, show_name, member, gates)                      \
    void events_name(SDL_Event event) {                                                 \
        guarded(#events_name, [&] { handle_console(screens().member, gates, event); }); \
    }                                                                                   \
    void show_name() {                                                                  \
        show_screen(screens().member, #show_name);                                      \
    }

// The Atari 2600 screen shows fixed controls and never captures, so it leaves the pointer gate
// alone.
RX_CONSOLE_WRAPPERS(handle_atari2600_events, atari2600_show, atari2600, false)
RX_CONSOLE_WRAPPERS(handle_colecovision_events, colecovion_show, colecovision, true)
RX_CONSOLE_WRAPPERS(handle_gameboy_events, gameboy_show, gameboy, true)
RX_CONSOLE_WRAPPERS(handle_gameboycolor_events, gameboycolor_show, gameboycolor, true)
RX_CONSOLE_WRAPPERS(handle_gameboyadvance_events, gameboyadvance_show, gameboyadvance, true)
RX_CONSOLE_WRAPPERS(handle_gamegear_evetns, gamegear_show, gamegear, true)
RX_CONSOLE_WRAPPERS(handle_genesis_events, genesis_show, genesis, true)
RX_CONSOLE_WRAPPERS(handle_nes_events, nes_show, nes, true)
RX_CONSOLE_WRAPPERS(handle_sms_events, sms_show, sms, true)
RX_CONSOLE_WRAPPERS(handle_snes_events, snes_show, snes, true)
RX_CONSOLE_WRAPPERS(handle_pce_events, pce_show, pce, true)
RX_CONSOLE_WRAPPERS(handle_n64_events, n64_show, n64, true)

#undef RX_CONSOLE_WRAPPERS

}  // namespace rx
