// Reading, defaulting and writing nester's per-button registry keys.
#include "emulators/nester_settings.h"

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

input input_of(const key_record& r, int controller) {
    // DeviceNumber comes from the registry as any 32-bit value; the sum must not overflow.
    const std::int64_t joystick =
        (r.device_number == -1 ? controller : static_cast<std::int64_t>(r.device_number)) + 1;
    if (r.device_type == 1) return input::key(r.key);
    if ((r.device_type != 2 && r.device_type != 3) || joystick < 1 || joystick > 9) return {};
    const int number = static_cast<int>(joystick);
    if (r.device_type == 2)
        return input::button(
            number, static_cast<int>(static_cast<std::int64_t>(r.offset) - first_button_offset));
    if (r.offset != 0 && r.offset != 4) return input::joystick_only(number);
    return input::axis(number, r.offset == 0 ? 0 : 1, r.axis_positive != 0);
}

std::optional<key_record> record_of(const input& captured, const key_record& loaded,
                                    const platform::device_list& devices) {
    key_record r;
    if (captured.type == input::kind::key) {
        // Stored as key 0 a code would unbind the button, so the button keeps its key instead.
        if (captured.index <= 0 || captured.index > 255) return std::nullopt;
        r.device_guid = guid_of(devices.keyboard);
        r.device_type = 1;
        r.key = static_cast<std::uint8_t>(captured.index);
        return r;
    }
    if (!storable_joystick(captured.joystick)) return std::nullopt;
    r.device_number = captured.joystick - 1;
    if (captured.type == input::kind::button) {
        if (captured.index < 0 || captured.index >= joystick_buttons) return std::nullopt;
        r.device_type = 2;
        r.offset = first_button_offset + static_cast<std::uint32_t>(captured.index);
    } else if (captured.type == input::kind::axis && (captured.index == 0 || captured.index == 1)) {
        // X is at offset 0 of the joystick state, Y at 4.
        r.device_type = 3;
        r.offset = captured.index == 0 ? 0 : 4;
        r.axis_positive = captured.positive ? 1 : 0;
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

key_records load(platform::registry& store, std::string_view keyboard_guid,
                 std::vector<std::string>& log) {
    key_records out;
    for (int c = 0; c < controller_count; ++c) {
        for (int b = 0; b < button_count; ++b) {
            key_record& r = out[static_cast<std::size_t>(c * button_count + b)];
            std::string key = key_path(c, b);
            if (store.key_exists(key)) {
                r = read_record(store, key);
            } else {
                r = default_record(c, b, keyboard_guid);
                if (!store.write_values(key, record_values(r))) log.push_back(write_failed_text);
            }
        }
    }
    return out;
}

std::vector<binding> bindings_of(const key_records& loaded) {
    std::vector<binding> out(slot_count);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i].id = input_of(loaded[i], static_cast<int>(i) / button_count);
    return out;
}

void save(platform::registry& store, key_records& loaded, std::vector<binding>& bindings,
          const platform::device_list& devices, std::vector<std::string>& log) {
    for (std::size_t i = 0; i < loaded.size() && i < bindings.size(); ++i) {
        binding& b = bindings[i];
        if (!b.captured) continue;
        const int c = static_cast<int>(i) / button_count;
        auto record = record_of(b.id, loaded[i], devices);
        if (!record || !store.write_values(key_path(c, static_cast<int>(i) % button_count),
                                           record_values(*record))) {
            log.push_back(write_failed_text);
            continue;
        }
        loaded[i] = *record;
        b.captured = false;
    }
}

}  // namespace rx::nester
