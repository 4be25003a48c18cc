// Identities of the keyboard and game controllers as the emulators' settings name them (DirectInput GUIDs).
#pragma once
#include <string>
#include <vector>

namespace rx::platform {

struct input_device {
    std::string name;  // product name
    std::string guid;  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
};

// The system keyboard's instance GUID.
std::string keyboard_guid();

// Attached game controllers in enumeration order; POSIX derives a stable GUID from each SDL joystick's name and index.
std::vector<input_device> game_controllers();

}  // namespace rx::platform
