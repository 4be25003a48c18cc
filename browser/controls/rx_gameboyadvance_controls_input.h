// Screen 11: the Gameboy Advance controls screen (the same vba.ini pad as the Gameboy screen).
#pragma once
#include "browser/controls/rx_gameboy_controls_input.h"

namespace rx {

class rx_gameboyadvance_controls_input : public rx_gameboy_controls_input {
  public:
    rx_gameboyadvance_controls_input()
        : rx_gameboy_controls_input("rx_gameboyadvance_controls_input",
                                    "Gameboy Advance Controls:") {}
};

}  // namespace rx
