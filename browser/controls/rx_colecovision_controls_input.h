// Screens 8, 12 and 15: the Colecovision, Gamegear and Sega Master System controls screens, three
// objects of one class editing MEKA's keyboard and joystick bindings of two players in meka.inp.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_colecovision_controls_input : public console_screen {
  public:
    // Which console's title and information image the object shows; the file is the same.
    enum class console { colecovision, sms, gamegear };

    explicit rx_colecovision_controls_input(console which = console::colecovision);

    // A file whose input block lacks a section header leaves the records as they were and must not
    // open the screen: after clearing the opener's clicks this throws std::out_of_range, which the
    // opener's wrapper logs ("invalid string position") before it would change screens.
    bool load_controls() override;
    void save_settings() override;

    console which() const { return which_; }

  private:
    console which_;
};

}  // namespace rx
