// Screen 16: the Super NES controls screen.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_snes_controls_input : public console_screen {
  public:
    rx_snes_controls_input() : console_screen("rx_snes_controls_input", "SNES Controls:") {}
};

}  // namespace rx
