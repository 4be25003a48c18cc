// Screen 18: the PC Engine controls screen, editing the joypad blocks of Ootake's ootake.dat.
#pragma once
#include <string>

#include "browser/controls/console_screen.h"
#include "emulators/ootake_settings.h"

namespace rx {

class rx_pce_controls_input : public console_screen {
  public:
    rx_pce_controls_input();

    bool load_controls() override;
    void save_settings() override;

    // ootake.dat in the program folder; "" without a program folder.
    static std::string settings_path();
};

}  // namespace rx
