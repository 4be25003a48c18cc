// Screen 10: the Gameboy Color controls screen.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_gameboycolor_controls_input : public console_screen {
  public:
    rx_gameboycolor_controls_input()
        : console_screen("rx_gameboycolor_controls_input", "Gameboy Color Controls:") {}
};

}  // namespace rx
