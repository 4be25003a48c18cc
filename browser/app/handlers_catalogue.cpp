// Wrappers of the catalogue screens: news (3), game list (4), game info (5) and Facebook (17).
#include <SDL.h>

#include "browser/app/app.h"
#include "browser/app/handlers.h"
#include "browser/app/handlers_common.h"
#include "browser/app/processes.h"
#include "browser/app/screens.h"
#include "emulators/systems.h"

namespace rx {

namespace {

// The game list's controls button opens the controls of the list's system; Back comes here again.
void open_system_controls(int system_number) {
    const int number = controls_screen_for_system(system_number);
    app::clear_controls();
    if (console_screen* console = screens().console(number)) {
        console->set_return_screen(screen_game_list);
        // A display-only screen has no settings to read.
        if (!console->locked()) console->load_controls();
        console->reset();
    }
    app::set_current_screen(number);
}

}  // namespace

void handle_news_events(SDL_Event event) {
    run_logged("main", "handle_news_events", [&] {
        auto& news = screens().news;
        if (news.home_button().clicked()) go_to(screen_main);
        news.handle_events(event);
    });
}

void news_show() {
    run_logged("main", "news_show", [&] { screens().news.show(); });
}

// The clicks were left by the previous event; the first set one acts, then the list sees this
// event.
void handle_system_events(SDL_Event event) {
    run_logged("main", "handle_system_events", [&] {
        auto& list = screens().game_list;
        const bool button_down = event.type == SDL_MOUSEBUTTONDOWN;
        if (list.home_button().clicked()) {
            go_to(screen_main);
        } else if (list.up_button().clicked()) {
            list.page_up();
        } else if (list.down_button().clicked()) {
            list.page_down();
        } else if (button_down && event.button.button == SDL_BUTTON_WHEELUP) {
            list.wheel_up();
        } else if (button_down && event.button.button == SDL_BUTTON_WHEELDOWN) {
            list.wheel_down();
        } else if (list.controls_button().clicked()) {
            open_system_controls(list.system_number());
        } else if (list.upgrade_button_active() && list.upgrade_button().clicked()) {
            open_upgrade_page();
        } else if (const char* filter = list.clicked_filter()) {
            app::load_search(filter);
        } else if (list.search_button().clicked()) {
            // A copy: loading the list empties the search box.
            const std::string text = list.search_box().text();
            app::load_search(text);
        } else if (list.row_clicked()) {
            // A copy: load_game outlives nothing of the list's own row.
            const catalogue::game_row game = list.selected_game();
            app::clear_controls();
            screens().game_info.load_game(game);
            app::set_current_screen(screen_game_info);
        }
        list.handle_events(event);
    });
}

void system_show() {
    run_logged("main", "system_show", [&] { screens().game_list.show(); });
}

void handle_game_info_events(SDL_Event event) {
    run_logged("main", "handle_game_info_events", [&] {
        auto& info = screens().game_info;
        if (info.home_button().clicked()) {
            go_to(screen_main);
        } else if (info.back_button().clicked()) {
            go_to(screen_game_list);
        } else if (info.play_button().clicked()) {
            // The game list plays its selected game, which is the row this page shows.
            info.play_button().set_clicked(false);
            screens().game_list.play();
        }
        info.handle_events(event);
    });
}

void game_info_show() {
    run_logged("main", "game_info_show", [&] { screens().game_info.show(); });
}

void handle_facebook_events(SDL_Event event) {
    run_logged("main", "handle_facebook_events", [&] {
        auto& facebook = screens().facebook;
        if (facebook.home_button().clicked()) {
            go_to(screen_main);
        } else if (facebook.allow_button().clicked()) {
            go_to(screen_main);
            open_facebook_authorisation(app::user().user_name);
            SDL_WM_IconifyWindow();
        }
        facebook.handle_events(event);
    });
}

void facebook_show() {
    run_logged("main", "facebook_show", [&] { screens().facebook.show(); });
}

}  // namespace rx
