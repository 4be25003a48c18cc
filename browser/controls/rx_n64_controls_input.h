// Screen 19: the Nintendo 64 controls screen.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_n64_controls_input : public console_screen {
  public:
    rx_n64_controls_input() : console_screen("rx_n64_controls_input", "Nintendo 64 Controls:") {}
};

}  // namespace rx
