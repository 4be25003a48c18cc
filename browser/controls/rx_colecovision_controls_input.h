// Screen 8: the Colecovision controls screen.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_colecovision_controls_input : public console_screen {
  public:
    rx_colecovision_controls_input()
        : console_screen("rx_colecovision_controls_input", "Colecovision Controls:") {}
};

}  // namespace rx
