// Screen 13: the Genesis controls screen.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_genesis_controls_input : public console_screen {
  public:
    rx_genesis_controls_input()
        : console_screen("rx_genesis_controls_input", "Genesis Controls:") {}
};

}  // namespace rx
