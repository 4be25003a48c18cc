// Screen 2: the main menu, a grid of twenty 150 x 150 buttons.
#pragma once
#include "browser/core/screen.h"

namespace rx {

class rx_main_input : public screen {
  public:
    void init() override {}
    void show() override {}
    void handle_events(const SDL_Event& event) override { (void)event; }
    void reset() override {}
};

}  // namespace rx
