// Screen 10: the Gameboy Color controls screen (the same vba.ini pad as the Gameboy screen).
#pragma once
#include "browser/controls/rx_gameboy_controls_input.h"

namespace rx {

class rx_gameboycolor_controls_input : public rx_gameboy_controls_input {
  public:
    rx_gameboycolor_controls_input()
        : rx_gameboy_controls_input("rx_gameboycolor_controls_input", "Gameboy Color Controls:") {}
};

}  // namespace rx
