// Screen 14: the NES controls screen, editing nester's registry keys for its two controllers.
#pragma once
#include "browser/controls/console_screen.h"
#include "emulators/nester_settings.h"
#include "platform/registry.h"

namespace rx {

class rx_nes_controls_input : public console_screen {
  public:
    rx_nes_controls_input();

    bool load_controls() override;
    void save_settings() override;

    // Tests point the screen at their own store; nullptr restores the user's registry.
    void set_registry_for_testing(platform::registry* store) { store_ = store; }

  private:
    platform::registry& store();

    nester::key_records keys_{};
    platform::registry* store_ = nullptr;
};

}  // namespace rx
