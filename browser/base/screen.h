// The interface every one of the browser's 19 screens offers to the main loop.
#pragma once
#include <SDL.h>

#include "browser/base/logic/screen_numbers.h"

namespace rx {

class screen {
  public:
    virtual ~screen() = default;
    virtual void init() {}  // once, at start-up
    virtual void show() {}  // every frame while current
    virtual void handle_events(const SDL_Event& event) {
        (void)event;
    }                        // every event while current
    virtual void reset() {}  // on every change of screen
};

}  // namespace rx
