// The VisualBoyAdvance consoles' controls screen, editing the emulator's first pad in vba.ini; each
// of its consoles shows it under its own class name and title.
#pragma once
#include <string>

#include "browser/controls/console_screen.h"

namespace rx {

class rx_gameboy_controls_input : public console_screen {
  public:
    rx_gameboy_controls_input(const char* class_name, const char* title);

    bool load_controls() override;
    void save_settings() override;

    // Where the emulator keeps its settings: vba.ini in the program folder.
    static std::string settings_path();
};

}  // namespace rx
