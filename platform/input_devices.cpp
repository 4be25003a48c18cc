// The device list the controls screens ask for: a test's fake when one is installed, else the
// system's own, in one place for every platform.
#include "platform/input_guid.h"

namespace rx::platform {

std::vector<input_device> game_controllers() {
    return input_devices().controllers;
}

device_list input_devices() {
    if (auto fake = faked_input_devices()) return *fake;
    return enumerate_input_devices();
}

}  // namespace rx::platform
