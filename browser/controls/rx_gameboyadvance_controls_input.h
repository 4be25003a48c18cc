// Screen 11: the Gameboy Advance controls screen.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_gameboyadvance_controls_input : public console_screen {
  public:
    rx_gameboyadvance_controls_input()
        : console_screen("rx_gameboyadvance_controls_input", "Gameboy Advance Controls:") {}
};

}  // namespace rx
