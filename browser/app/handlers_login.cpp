// Screen 1 wrappers: the login screen's cancel, login, sign-up and guest buttons.
#include "browser/app/app.h"
#include "browser/app/handlers.h"
#include "browser/app/handlers_common.h"
#include "browser/app/processes.h"
#include "browser/app/screens.h"
#include "browser/app/session.h"

namespace rx {

void handle_login_events(SDL_Event event) {
    run_logged("main", "handle_login_events", [&] {
        rx_login_input& screen = screens().login;
        // Clicks are reported by the event before this one; the first set flag wins.
        if (screen.cancel_button().clicked()) {
            app::request_quit();
        } else if (screen.login_button().clicked()) {
            login();
        } else if (screen.signup_button().clicked()) {
            open_signup_page();
        } else if (screen.guest_button().clicked()) {
            screen.set_user_name(L"guest");
            screen.set_password(L"guest");
            login();
        }
        screen.handle_events(event);
    });
}

void login_show() {
    run_logged("main", "login_show", [&] { screens().login.show(); });
}

}  // namespace rx
