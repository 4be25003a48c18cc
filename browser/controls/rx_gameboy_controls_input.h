// Screen 9: the Gameboy controls screen, editing VisualBoyAdvance's first pad in vba.ini. The
// Gameboy Color and Gameboy Advance screens are the same screen under another title.
#pragma once
#include <string>

#include "browser/controls/console_screen.h"

namespace rx {

class rx_gameboy_controls_input : public console_screen {
  public:
    rx_gameboy_controls_input()
        : rx_gameboy_controls_input("rx_gameboy_controls_input", "Gameboy Controls:") {}

    bool load_controls() override;
    void save_settings() override;

    // Where the emulator keeps its settings: vba.ini in the program folder.
    static std::string settings_path();

  protected:
    rx_gameboy_controls_input(const char* class_name, const char* title);
};

}  // namespace rx
