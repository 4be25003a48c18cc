// Device GUIDs on POSIX: the system keyboard's fixed GUID and stable GUIDs for SDL joysticks.
#include <SDL.h>

#include "platform/input_guid.h"

namespace rx::platform {

std::string keyboard_guid() {
    return "{6F1D2B61-D5A0-11CF-BFC7-444553540000}";
}

device_list enumerate_input_devices() {
    device_list list;
    list.keyboard = keyboard_guid();
    bool opened_here = false;
    if (SDL_WasInit(SDL_INIT_JOYSTICK) == 0) {
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return list;
        opened_here = true;
    }
    list.enumerated = true;
    int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i) {
        const char* name = SDL_JoystickName(i);
        input_device device;
        device.name = name != nullptr ? name : "";
        device.guid = derived_controller_guid(device.name, i);
        list.controllers.push_back(std::move(device));
    }
    if (opened_here) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    return list;
}

}  // namespace rx::platform
