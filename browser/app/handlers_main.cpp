// Screen 2 wrappers: the main menu's actions on its twenty buttons.
#include "browser/app/app.h"
#include "browser/app/handlers.h"
#include "browser/app/handlers_common.h"
#include "browser/app/processes.h"
#include "browser/app/screens.h"

namespace rx {
namespace {

void act_on_clicks(rx_main_input& menu) {
    if (menu.at(rx_main_input::slot_exit).clicked()) {
        app::save_settings();
        app::request_quit();
        return;
    }
    if (menu.at(rx_main_input::slot_fullscreen).clicked()) {
        app::toggle_fullscreen();
        return;
    }
    if (menu.at(rx_main_input::slot_change_user).clicked()) {
        go_to(screen_login);
        return;
    }
    if (menu.at(rx_main_input::slot_news).clicked()) {
        app::clear_controls();
        if (app::user().account_kind == 1) {
            open_upgrade_page();
        } else {
            screens().news.get_news();
            app::set_current_screen(screen_news);
        }
        return;
    }
    if (menu.at(rx_main_input::slot_controls).clicked()) {
        go_to(screen_controls);
        return;
    }
    if (menu.at(rx_main_input::slot_facebook).clicked()) {
        go_to(screen_facebook);
        return;
    }
    // The system buttons (the consoles, all systems and the free sampler) in slot order.
    for (int slot = 0; slot < rx_main_input::slot_count; ++slot) {
        if (rx_main_input::system_of(slot) >= 0 && menu.at(slot).clicked()) {
            app::load_system(rx_main_input::system_of(slot));
            return;
        }
    }
}

}  // namespace

void handle_main_events(SDL_Event event) {
    run_logged("main", "handle_main_events", [&] {
        rx_main_input& menu = screens().main_menu;
        act_on_clicks(menu);
        menu.handle_events(event);
    });
}

void main_show() {
    run_logged("main", "main_show", [&] { screens().main_menu.show(); });
}

}  // namespace rx
