// Identities of the keyboard and game controllers as the emulators' settings name them (DirectInput
// GUIDs).
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rx::platform {

struct input_device {
    std::string name;  // product name
    std::string guid;  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
};

// What the system reports about its input devices when a controls screen saves.
struct device_list {
    // False when the devices could not be asked for at all (DirectInput or the joystick subsystem
    // would not start): then an empty `controllers` means "unknown", not "none attached".
    bool enumerated = false;
    std::string keyboard;                   // the system keyboard's GUID text
    std::vector<input_device> controllers;  // attached game controllers in enumeration order
};

// The keyboard and the attached controllers, or what a test installed in their place.
device_list input_devices();

// Every input_devices() call returns `fake` until this is called again with nullopt.
void fake_input_devices_for_testing(std::optional<device_list> fake);

// The installed fake, if any (for input_devices).
std::optional<device_list> faked_input_devices();

// What the system itself reports, never the fake (each platform's input_guid file).
device_list enumerate_input_devices();

// The system keyboard's instance GUID.
std::string keyboard_guid();

// Attached game controllers in enumeration order; POSIX derives a stable GUID from each SDL
// joystick's name and index.
std::vector<input_device> game_controllers();

// The 16 bytes of a GUID as Windows keeps it in memory and in REG_BINARY values (first three fields
// little-endian), from its registry text; nullopt when the text is not "{8-4-4-4-12}" hex.
std::optional<std::array<std::uint8_t, 16>> guid_bytes(const std::string& text);

// The registry text, upper-case hex, of GUID bytes in memory order.
std::string guid_text(const std::array<std::uint8_t, 16>& bytes);

// The GUID POSIX gives the controller `name` in enumeration slot `index`: the same every run.
std::string derived_controller_guid(const std::string& name, int index);

}  // namespace rx::platform
