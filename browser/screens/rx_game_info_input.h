// Screen 5: the game info screen.
#pragma once
#include "browser/core/screen.h"

namespace rx {

class rx_game_info_input : public screen {
  public:
    void init() override {}
    void show() override {}
    void handle_events(const SDL_Event& event) override { (void)event; }
    void reset() override {}

    // Called by clear_controls on every change of screen: the stand-alone buttons lose their click,
    // selection and highlight (their current frame returns to the normal frame).
    void clear_buttons() {}
};

}  // namespace rx
