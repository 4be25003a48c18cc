// Screen 12: the Gamegear controls screen.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_gamegear_controls_input : public console_screen {
  public:
    rx_gamegear_controls_input()
        : console_screen("rx_gamegear_controls_input", "Gamegear Controls:") {}
};

}  // namespace rx
