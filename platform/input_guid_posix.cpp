// Device GUIDs on POSIX: the system keyboard's fixed GUID and stable GUIDs made up for SDL
// joysticks.
#include <SDL.h>

#include <cstdint>

#include "platform/input_guid.h"

namespace rx::platform {

namespace {

std::uint64_t fnv1a(const std::string& text, std::uint64_t seed) {
    std::uint64_t h = seed;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// The same joystick in the same slot keeps its GUID from run to run, as DirectInput's instance
// GUIDs do.
std::string joystick_guid(const std::string& name, int index) {
    std::string identity = name + '#' + std::to_string(index);
    std::uint64_t a = fnv1a(identity, 14695981039346656037ull);
    std::uint64_t b = fnv1a(identity, a ^ 0x9e3779b97f4a7c15ull);
    std::array<std::uint8_t, 16> bytes{};
    for (int i = 0; i < 8; ++i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(a >> (8 * i));
        bytes[static_cast<std::size_t>(i + 8)] = static_cast<std::uint8_t>(b >> (8 * i));
    }
    return guid_text(bytes);
}

}  // namespace

std::string keyboard_guid() {
    return "{6F1D2B61-D5A0-11CF-BFC7-444553540000}";
}

std::vector<input_device> game_controllers() {
    std::vector<input_device> devices;
    bool opened_here = false;
    if (SDL_WasInit(SDL_INIT_JOYSTICK) == 0) {
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return devices;
        opened_here = true;
    }
    int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i) {
        const char* name = SDL_JoystickName(i);
        input_device device;
        device.name = name != nullptr ? name : "";
        device.guid = joystick_guid(device.name, i);
        devices.push_back(std::move(device));
    }
    if (opened_here) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    return devices;
}

}  // namespace rx::platform
