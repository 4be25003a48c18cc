// Screen 14: the NES controls screen.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_nes_controls_input : public console_screen {
  public:
    rx_nes_controls_input() : console_screen("rx_nes_controls_input", "NES Controls:") {}
};

}  // namespace rx
