// Screen 9: the Gameboy controls screen.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_gameboy_controls_input : public console_screen {
  public:
    rx_gameboy_controls_input()
        : console_screen("rx_gameboy_controls_input", "Gameboy Controls:") {}
};

}  // namespace rx
