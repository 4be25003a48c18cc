// Screen 13: the Genesis controls screen, editing both of Gens' pads in the "[Input]" section of
// gens.cfg.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_genesis_controls_input : public console_screen {
  public:
    rx_genesis_controls_input();

    bool load_controls() override;
    void save_settings() override;
};

}  // namespace rx
