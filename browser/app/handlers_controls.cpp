// Wrappers of the controls menu (6) and the consoles' controls screens.
#include "browser/app/app.h"
#include "browser/app/handlers.h"
#include "browser/app/handlers_common.h"
#include "browser/app/screens.h"

namespace rx {

namespace {

// The clicks were left by the previous event; the first set one acts, then the screen sees this
// event.
// A display-only screen never captures, so it leaves the pointer gate alone.
void handle_console(console_screen& screen, const SDL_Event& event) {
    if (!screen.locked()) app::set_cursor_keys_enabled(!screen.capture_in_progress());
    if (screen.home_button().clicked()) {
        go_to(screen_main);
    } else if (screen.back_button().clicked()) {
        go_to(screen.return_screen());
    }
    screen.handle_events(event);
}

void show_screen(screen& screen, const char* name) {
    run_logged("main", name, [&] { screen.show(); });
}

}  // namespace

void handle_controls_events(SDL_Event event) {
    run_logged("main", "handle_controls_events", [&] {
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
                // A display-only screen has no settings to read.
                if (!target->locked()) target->load_controls();
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

void handle_console_events(const console_row& row, const SDL_Event& event) {
    run_logged("main", row.events_wrapper.data(),
               [&] { handle_console(*screens().console(row.screen), event); });
}

void console_show(const console_row& row) {
    show_screen(*screens().console(row.screen), row.show_wrapper.data());
}

}  // namespace rx
