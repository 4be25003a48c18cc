// Screen 17: the Facebook permission screen's picture and its Home and Allow buttons.
#include "browser/screens/rx_facebook_input.h"

#include <exception>

#include "common/guard.h"

namespace rx {

void rx_facebook_input::init() {
    run_logged("rx_facebook_input", "init", [&] {
        background_.load(0, 0, 200, 20, "background_facebook.png");
        home_.load_button(645, 5, 40, "button_home.png", 150);
        allow_.load_button(300, 300, 40, "button_allow.png", 200);
    });
}

void rx_facebook_input::show() {
    background_.show();
    home_.show();
    allow_.show();
}

void rx_facebook_input::handle_events(const SDL_Event& event) {
    home_.handle_events(event);
    allow_.handle_events(event);
}

void rx_facebook_input::clear_buttons() {
    home_.reset();
    allow_.reset();
}

}  // namespace rx
