// Screen 7: the Atari 2600 controls screen.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_atari2600_controls_input : public console_screen {
  public:
    rx_atari2600_controls_input()
        : console_screen("rx_atari2600_controls_input", "Atari 2600 Controls:") {}
};

}  // namespace rx
