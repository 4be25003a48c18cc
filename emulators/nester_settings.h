// nester's input settings: one registry key per pad button of its two controllers.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulators/binding_codec.h"
#include "platform/input_guid.h"
#include "platform/registry.h"

namespace rx::nester {

inline constexpr int controller_count = 2;
inline constexpr int button_count = 8;
inline constexpr int slot_count = controller_count * button_count;

// Key names of the buttons in screen order.
inline constexpr std::array<const char*, button_count> button_names = {
    "Up", "Down", "Left", "Right", "Select", "Start", "A", "B"};

// One button's key as nester reads it (DirectInput terms). Every field starts zeroed.
struct key_record {
    std::array<std::uint8_t, 16> device_guid{};  // in memory order
    std::int32_t device_number = 0;              // 0-based joystick; -1 when the key has none
    std::uint32_t device_type = 0;               // 1 key, 2 joystick button, 3 joystick axis
    std::uint32_t axis_positive = 0;
    std::uint32_t offset = 0;  // joystick-state offset: 0 X axis, 4 Y axis, 48 + n button n
    std::uint8_t key = 0;      // DirectInput scan code
    bool operator==(const key_record& o) const;
};

// "Software\nester\NES\Input\Controller1\Up" for controller 0, button 0.
std::string key_path(int controller, int button);

// The binding nester starts with: the arrows, Right Shift, keypad Enter, Z and X for controller 1,
// R F D G E W S A for controller 2, all on the system keyboard.
key_record default_record(int controller, int button, std::string_view keyboard_guid);

// The six values with nester's types: DeviceGUID (16-byte binary), DeviceNumber (4-byte binary),
// DeviceType, JAxisPositive, JOffset (dwords) and Key (1-byte binary).
std::vector<platform::registry_value> record_values(const key_record& record);

// The key's values; a value that is missing reads as zero (DeviceNumber as -1).
key_record read_record(platform::registry& store, const std::string& key);

// The input of a key: a key, a joystick button or the X or Y axis to one end (a joystick without a
// DeviceNumber is the controller's own number); the joystick alone for another axis, none for
// other types.
input input_of(const key_record& record, int controller);
// The record for a captured input. `loaded` is what the button held: a joystick the device list
// does not reach keeps the GUID it had when it is the same joystick number. nullopt when the input
// cannot be stored (no key code, an axis other than 0 and 1, a joystick that is not attached and
// not the one loaded, a button beyond the joystick state).
std::optional<key_record> record_of(const input& captured, const key_record& loaded,
                                    const platform::device_list& devices);

// Controller 1 buttons 0 to 7, then controller 2.
using key_records = std::array<key_record, slot_count>;

// Reads all sixteen buttons; a button without a key gets its key created with the default
// binding. Each failed write adds its log line to `log`.
key_records load(platform::registry& store, std::string_view keyboard_guid,
                 std::vector<std::string>& log);
// The sixteen bindings of what `load` read.
std::vector<binding> bindings_of(const key_records& loaded);
// Writes the buttons a capture changed (a button left alone keeps its key exactly as it is); a
// button whose write failed or whose input cannot be stored keeps its old key and stays captured,
// and the line is logged. A written button becomes the new loaded state.
void save(platform::registry& store, key_records& loaded, std::vector<binding>& bindings,
          const platform::device_list& devices, std::vector<std::string>& log);

inline constexpr const char* write_failed_text = "Failed to write key - write_nes_key";

}  // namespace rx::nester
