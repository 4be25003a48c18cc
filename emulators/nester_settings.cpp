// Reading, defaulting and writing nester's per-button registry keys.
#include "emulators/nester_settings.h"

#include "emulators/input_names.h"
#include "emulators/key_names.h"

namespace rx::nester {

namespace {

// Scan codes of the default bindings, by controller and button.
constexpr std::uint8_t default_keys[controller_count][button_count] = {
    {200, 208, 203, 205, 54, 156, 44, 45},
    {19, 33, 32, 34, 18, 17, 31, 30},
};

// GUID_SysKeyboard, for a device list that names no keyboard.
constexpr std::string_view system_keyboard_guid = "{6F1D2B61-D5A0-11CF-BFC7-444553540000}";

// DIJOYSTATE: the buttons start at byte 48 and there are 32 of them.
constexpr std::uint32_t first_button_offset = 48;
constexpr int joystick_buttons = 32;

std::vector<std::uint8_t> little_endian(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

// The bytes of a GUID text; the system keyboard for no text, zeros for a damaged one.
std::array<std::uint8_t, 16> guid_of(std::string_view text) {
    auto bytes = platform::guid_bytes(std::string(text.empty() ? system_keyboard_guid : text));
    return bytes ? *bytes : std::array<std::uint8_t, 16>{};
}

}  // namespace

bool key_record::operator==(const key_record& o) const {
    return device_guid == o.device_guid && device_number == o.device_number &&
           device_type == o.device_type && axis_positive == o.axis_positive && offset == o.offset &&
           key == o.key;
}

std::string key_path(int controller, int button) {
    return std::string("Software\\nester\\NES\\Input\\Controller") +
           std::to_string(controller + 1) + "\\" + button_names[static_cast<std::size_t>(button)];
}

key_record default_record(int controller, int button, std::string_view keyboard_guid) {
    key_record r;
    r.device_guid = guid_of(keyboard_guid);
    r.device_type = 1;
    r.key = default_keys[controller][button];
    return r;
}

std::vector<platform::registry_value> record_values(const key_record& r) {
    using kind = platform::registry_value::kind;
    return {
        {"DeviceGUID", kind::binary, {r.device_guid.begin(), r.device_guid.end()}},
        {"DeviceNumber", kind::binary, little_endian(static_cast<std::uint32_t>(r.device_number))},
        {"DeviceType", kind::dword, little_endian(r.device_type)},
        {"JAxisPositive", kind::dword, little_endian(r.axis_positive)},
        {"JOffset", kind::dword, little_endian(r.offset)},
        {"Key", kind::binary, {r.key}},
    };
}

key_record read_record(platform::registry& store, const std::string& key) {
    key_record r;
    if (auto guid = store.read_binary(key, "DeviceGUID"); guid && guid->size() == 16) {
        std::copy(guid->begin(), guid->end(), r.device_guid.begin());
    }
    auto number = store.read_binary(key, "DeviceNumber");
    if (number && number->size() == 4) {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= std::uint32_t((*number)[static_cast<std::size_t>(i)]) << (8 * i);
        r.device_number = static_cast<std::int32_t>(v);
    } else {
        r.device_number = -1;
    }
    r.device_type = store.read_dword(key, "DeviceType").value_or(0);
    r.axis_positive = store.read_dword(key, "JAxisPositive").value_or(0);
    r.offset = store.read_dword(key, "JOffset").value_or(0);
    if (auto k = store.read_binary(key, "Key"); k && !k->empty()) r.key = (*k)[0];
    return r;
}

std::string std_name(const key_record& r, int controller) {
    // DeviceNumber comes from the registry as any 32-bit value; the sum must not overflow.
    const std::int64_t joystick =
        (r.device_number == -1 ? controller : static_cast<std::int64_t>(r.device_number)) + 1;
    std::string prefix = "Joystick " + std::to_string(joystick) + " ";
    switch (r.device_type) {
        case 1:
            return key_std_name(r.key);
        case 2:
            return prefix + "Button " +
                   std::to_string(static_cast<std::int64_t>(r.offset) - first_button_offset);
        case 3: {
            std::string axis = r.offset == 0 ? "axis 0 " : r.offset == 4 ? "axis 1 " : "";
            return prefix + axis + "dir " + std::to_string(r.axis_positive);
        }
        default:
            return {};
    }
}

std::optional<key_record> record_of(std::string_view shown, const key_record& loaded,
                                    const platform::device_list& devices) {
    key_record r;
    if (shown.find("Joystick") == std::string_view::npos) {
        // No capture gives an empty name or the bare number of a code without a name; stored as
        // key 0 they would unbind the button, so the button keeps its key instead. The top-row
        // digits "0" to "9" are names of their own (codes 2 to 11).
        const int code = key_code_of(shown);
        if (shown.empty() || (code == 0 && is_decimal_number(shown))) return std::nullopt;
        r.device_guid = guid_of(devices.keyboard);
        r.device_type = 1;
        r.key = static_cast<std::uint8_t>(code);
        return r;
    }
    using kind = joystick_input::input_kind;
    auto joy = parse_joystick_name(shown);
    if (!joy) return std::nullopt;
    r.device_number = joy->joystick - 1;
    if (joy->kind == kind::button) {
        if (joy->index >= joystick_buttons) return std::nullopt;
        r.device_type = 2;
        r.offset = first_button_offset + static_cast<std::uint32_t>(joy->index);
    } else if (joy->kind == kind::axis && (joy->index == 0 || joy->index == 1)) {
        // X is at offset 0 of the joystick state, Y at 4.
        r.device_type = 3;
        r.offset = joy->index == 0 ? 0 : 4;
        r.axis_positive = joy->positive ? 1 : 0;
    } else {
        return std::nullopt;
    }
    // The n-th listed controller is joystick n. One that is not listed keeps the GUID it had
    // only if the button named the same joystick before.
    std::size_t index = static_cast<std::size_t>(r.device_number);
    std::optional<std::array<std::uint8_t, 16>> guid;
    if (index < devices.controllers.size())
        guid = platform::guid_bytes(devices.controllers[index].guid);
    if (!guid) {
        bool same_joystick = (loaded.device_type == 2 || loaded.device_type == 3) &&
                             loaded.device_number == r.device_number;
        if (!same_joystick) return std::nullopt;
        guid = loaded.device_guid;
    }
    r.device_guid = *guid;
    return r;
}

slots load(platform::registry& store, std::string_view keyboard_guid,
           std::vector<std::string>& log) {
    slots out;
    for (int c = 0; c < controller_count; ++c) {
        for (int b = 0; b < button_count; ++b) {
            slot& s = out[static_cast<std::size_t>(c * button_count + b)];
            std::string key = key_path(c, b);
            if (store.key_exists(key)) {
                s.loaded = read_record(store, key);
            } else {
                s.loaded = default_record(c, b, keyboard_guid);
                if (!store.write_values(key, record_values(s.loaded)))
                    log.push_back(write_failed_text);
            }
            s.shown = std_name(s.loaded, c);
            s.loaded_shown = s.shown;
        }
    }
    return out;
}

void save(platform::registry& store, slots& buttons, const platform::device_list& devices,
          std::vector<std::string>& log) {
    for (int c = 0; c < controller_count; ++c) {
        for (int b = 0; b < button_count; ++b) {
            slot& s = buttons[static_cast<std::size_t>(c * button_count + b)];
            if (!s.changed()) continue;
            auto record = record_of(s.shown, s.loaded, devices);
            if (!record || !store.write_values(key_path(c, b), record_values(*record))) {
                log.push_back(write_failed_text);
                continue;
            }
            s.loaded = *record;
            s.loaded_shown = s.shown;
            s.touched = false;
        }
    }
}

}  // namespace rx::nester
