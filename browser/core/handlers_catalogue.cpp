// Wrappers of the catalogue screens: news (3), game list (4), game info (5) and Facebook (17).
#include <exception>

#include "browser/core/app.h"
#include "browser/core/handlers.h"
#include "browser/core/screens.h"

namespace rx {

void handle_news_events(SDL_Event event) {
    try {
        screens().news.handle_events(event);
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_error("Unknown Exception - main::handle_news_events");
    }
}

void news_show() {
    try {
        screens().news.show();
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_error("Unknown Exception - main::news_show");
    }
}

void handle_system_events(SDL_Event event) {
    try {
        screens().game_list.handle_events(event);
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_error("Unknown Exception - main::handle_system_events");
    }
}

void system_show() {
    try {
        screens().game_list.show();
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_error("Unknown Exception - main::system_show");
    }
}

void handle_game_info_events(SDL_Event event) {
    try {
        screens().game_info.handle_events(event);
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_error("Unknown Exception - main::handle_game_info_events");
    }
}

void game_info_show() {
    try {
        screens().game_info.show();
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_error("Unknown Exception - main::game_info_show");
    }
}

void handle_facebook_events(SDL_Event event) {
    try {
        screens().facebook.handle_events(event);
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_error("Unknown Exception - main::handle_facebook_events");
    }
}

void facebook_show() {
    try {
        screens().facebook.show();
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_error("Unknown Exception - main::facebook_show");
    }
}

}  // namespace rx
