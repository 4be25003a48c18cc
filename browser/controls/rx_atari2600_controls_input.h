// Screen 7: the Atari 2600 controls screen, showing the emulator's fixed keys for both players.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_atari2600_controls_input : public console_screen {
  public:
    rx_atari2600_controls_input();

    // Sets the ten fixed texts once; they never change.
    void init() override;
    // Nothing is read: the keys are the emulator's own.
    bool load_controls() override { return true; }
};

}  // namespace rx
