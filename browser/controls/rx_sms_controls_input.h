// Screen 15: the Master System controls screen.
#pragma once
#include "browser/controls/console_screen.h"

namespace rx {

class rx_sms_controls_input : public console_screen {
  public:
    rx_sms_controls_input() : console_screen("rx_sms_controls_input", "Master System Controls:") {}
};

}  // namespace rx
