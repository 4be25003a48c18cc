// The MEKA consoles' controls screens: objects of one class editing MEKA's keyboard and joystick
// bindings of two players in meka.inp.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_colecovision_controls_input : public console_screen {
  public:
    // The consoles differ only in title and information image; the file is the same.
    rx_colecovision_controls_input(const char* title, const char* information_image);

    // A file whose input block lacks a section header leaves the records as they were and must not
    // open the screen: after clearing the opener's clicks this throws std::out_of_range, which the
    // opener's wrapper logs ("invalid string position") before it would change screens.
    bool load_controls() override;
    void save_settings() override;
};

}  // namespace rx
