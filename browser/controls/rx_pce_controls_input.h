// Screen 18: the PC Engine controls screen.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_pce_controls_input : public console_screen {
  public:
    rx_pce_controls_input()
        : console_screen("rx_pce_controls_input", "Turbo Graphics 16 Controls:") {}
};

}  // namespace rx
