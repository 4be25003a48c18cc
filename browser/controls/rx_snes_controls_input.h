// Screen 16: the SNES controls screen, editing both of ZSNES' pads in zinput.cfg.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_snes_controls_input : public console_screen {
  public:
    rx_snes_controls_input();

    bool load_controls() override;
    void save_settings() override;
};

}  // namespace rx
