// Screen 1 wrappers: the login screen's cancel, login, sign-up and guest buttons.
#include <exception>

#include "browser/core/app.h"
#include "browser/core/handlers.h"
#include "browser/core/screens.h"

namespace rx {

void handle_login_events(SDL_Event event) {
    try {
        screens().login.handle_events(event);
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_error("Unknown Exception - main::handle_login_events");
    }
}

void login_show() {
    try {
        screens().login.show();
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_error("Unknown Exception - main::login_show");
    }
}

}  // namespace rx
