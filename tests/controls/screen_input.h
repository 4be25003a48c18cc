// Controls test support: a person's clicks and key presses injected into a console screen, straight
// or through the browser core's dispatch as the main loop hands them over.
#pragma once
#include <SDL.h>

#include "browser/app/app.h"
#include "browser/app/handlers.h"
#include "browser/controls/console_screen.h"
#include "tests/browser_core/sdl_support.h"

namespace rx::test::screen_input {

// A left press and release at (x, y).
inline void click(console_screen& s, int x, int y) {
    s.handle_events(make_mouse_button(SDL_BUTTON_LEFT, true, x, y));
    s.handle_events(make_mouse_button(SDL_BUTTON_LEFT, false, x, y));
}

inline void press(console_screen& s, SDLKey k) {
    s.handle_events(make_key(k, true));
    s.handle_events(make_key(k, false));
}

// Save Settings acts on the event after its click: a release far from every widget is one.
inline void save(console_screen& s, int x, int y) {
    click(s, x, y);
    s.handle_events(make_mouse_button(SDL_BUTTON_LEFT, false, 1, 599));
}

inline void wrapper_click(int x, int y) {
    dispatch_events(app::current_screen(), make_mouse_button(SDL_BUTTON_LEFT, true, x, y));
    dispatch_events(app::current_screen(), make_mouse_button(SDL_BUTTON_LEFT, false, x, y));
}

inline void wrapper_key(SDLKey k) {
    dispatch_events(app::current_screen(), make_key(k, true));
    dispatch_events(app::current_screen(), make_key(k, false));
}

}  // namespace rx::test::screen_input
