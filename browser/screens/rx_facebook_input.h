// Screen 17: the Facebook permission screen, where the user allows the "is playing" status
// messages.
#pragma once
#include "browser/base/screen.h"
#include "widgets/button.h"

namespace rx {

class rx_facebook_input : public screen {
  public:
    void init() override;
    void show() override;
    void handle_events(const SDL_Event& event) override;
    void reset() override { clear_buttons(); }

    // Called by clear_controls on every change of screen: the stand-alone buttons lose their click,
    // selection and highlight (their current frame returns to the normal frame).
    void clear_buttons();

    button& home_button() { return home_; }
    button& allow_button() { return allow_; }

  private:
    static_image background_;
    button home_;
    button allow_;
};

}  // namespace rx
