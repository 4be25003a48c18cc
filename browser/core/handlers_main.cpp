// Screen 2 wrappers: the main menu's actions on its twenty buttons.
#include <exception>

#include "browser/core/app.h"
#include "browser/core/handlers.h"
#include "browser/core/screens.h"

namespace rx {

void handle_main_events(SDL_Event event) {
    try {
        screens().main_menu.handle_events(event);
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_error("Unknown Exception - main::handle_main_events");
    }
}

void main_show() {
    try {
        screens().main_menu.show();
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_error("Unknown Exception - main::main_show");
    }
}

}  // namespace rx
