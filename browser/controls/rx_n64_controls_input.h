// Screen 19: the Nintendo 64 controls screen, editing the 1964 input plug-in's 1964Input.ini.
#pragma once
#include <string>

#include "browser/controls/console_screen.h"
#include "emulators/n64_settings.h"

namespace rx {

class rx_n64_controls_input : public console_screen {
  public:
    rx_n64_controls_input();

    bool load_controls() override;
    void save_settings() override;

    // plugin/1964Input.ini under the program folder; "" without a program folder.
    static std::string settings_path();

  private:
    // Fills the records from the bindings and remembers what the load showed.
    void take(const n64::bindings& loaded);
};

}  // namespace rx
