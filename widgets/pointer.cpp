// The widgets' shared pointer and key tests, judged with the strict inside rule of the artwork.
#include "widgets/pointer.h"

#include "widgets/image.h"

namespace rx {

bool pointer_inside(const SDL_Rect& box) {
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    return inside(box, x, y);
}

bool left_click_inside(const SDL_Event& event, const SDL_Rect& box) {
    return event.button.button == SDL_BUTTON_LEFT && inside(box, event.button.x, event.button.y);
}

bool is_press_key(SDLKey key) {
    return key == SDLK_RETURN || key == SDLK_SPACE;
}

}  // namespace rx
