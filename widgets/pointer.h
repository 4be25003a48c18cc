// The widgets' shared event tests: where the pointer is, a left click inside a box, the press keys.
#pragma once
#include <SDL.h>

namespace rx {

// Keys and joystick buttons act on the widget under the pointer, so they ask where it is now.
bool pointer_inside(const SDL_Rect& box);

// A left-button event (down or up) strictly inside `box`.
bool left_click_inside(const SDL_Event& event, const SDL_Rect& box);

// Return and Space press buttons and tick boxes alike.
bool is_press_key(SDLKey key);

}  // namespace rx
