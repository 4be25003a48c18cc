// Reading and writing the joypad blocks of Ootake's settings file.
#include "emulators/ootake_settings.h"

#include "emulators/input_names.h"
#include "emulators/key_names.h"

namespace rx::ootake {

namespace {

// Codes from 300 up are joystick inputs: 100 per joystick, then the input number.
constexpr int first_joystick_code = 300;
constexpr int codes_per_joystick = 100;
constexpr int first_button_input = 50;

constexpr std::string_view inputs[] = {"axis 1 dir 0", "axis 0 dir 1", "axis 1 dir 1",
                                       "axis 0 dir 0", "POV Up",       "POV Right",
                                       "POV Down",     "POV Left"};

std::size_t code_position(std::size_t marker_at, int player, int button) {
    return marker_at + block_offsets[static_cast<std::size_t>(player)] +
           2 * static_cast<std::size_t>(entry_of_button[static_cast<std::size_t>(button)]);
}

}  // namespace

std::optional<std::size_t> find_marker(std::string_view bytes) {
    std::size_t at = bytes.find(marker);
    if (at == std::string_view::npos) return std::nullopt;
    if (bytes.size() - at < block_offsets[player_count - 1] + block_size) return std::nullopt;
    return at;
}

std::string std_name(std::uint16_t code) {
    if (code < first_joystick_code) return key_std_name(code);
    int joystick = (code - first_joystick_code) / codes_per_joystick + 1;
    int input = (code - first_joystick_code) % codes_per_joystick;
    std::string prefix = "Joystick " + std::to_string(joystick) + " ";
    if (input < 8) return prefix + std::string(inputs[input]);
    if (input >= first_button_input)
        return prefix + "Button " + std::to_string(input - first_button_input);
    // Inputs 8 to 49 name nothing the capture box can make: the code shows as its number, as an
    // unnamed key does, and stays as it is unless the user captures a new input.
    return std::to_string(code);
}

std::optional<std::uint16_t> code_of(std::string_view shown) {
    if (shown.find("Joystick") == std::string_view::npos) {
        return static_cast<std::uint16_t>(key_code_of(shown));
    }
    using kind = joystick_input::input_kind;
    auto joy = parse_joystick_name(shown);
    if (!joy) return std::nullopt;
    int input = -1;
    if (joy->kind == kind::button) {
        if (joy->index >= codes_per_joystick - first_button_input) return std::nullopt;
        input = first_button_input + joy->index;
    } else if (joy->kind == kind::axis && (joy->index == 0 || joy->index == 1)) {
        // Up, right, down, left: Y negative, X positive, Y positive, X negative.
        input = joy->index == 1 ? (joy->positive ? 2 : 0) : (joy->positive ? 1 : 3);
    } else if (joy->kind == kind::hat) {
        input = joy->hat == hat_direction::up      ? 4
                : joy->hat == hat_direction::right ? 5
                : joy->hat == hat_direction::down  ? 6
                                                   : 7;
    }
    if (input < 0) return std::nullopt;
    long code = first_joystick_code + long(joy->joystick - 1) * codes_per_joystick + input;
    if (code > 0xFFFF) return std::nullopt;
    return static_cast<std::uint16_t>(code);
}

std::optional<slots> load(std::string_view bytes) {
    auto at = find_marker(bytes);
    if (!at) return std::nullopt;
    slots out;
    for (int p = 0; p < player_count; ++p) {
        for (int b = 0; b < button_count; ++b) {
            std::size_t pos = code_position(*at, p, b);
            slot& s = out[static_cast<std::size_t>(p * button_count + b)];
            s.code = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[pos]) |
                                                static_cast<unsigned char>(bytes[pos + 1]) << 8);
            s.shown = std_name(s.code);
            s.loaded_shown = s.shown;
        }
    }
    return out;
}

std::optional<std::string> save(std::string_view bytes, const slots& buttons) {
    auto at = find_marker(bytes);
    if (!at) return std::nullopt;
    std::string out(bytes);
    for (int p = 0; p < player_count; ++p) {
        for (int b = 0; b < button_count; ++b) {
            const slot& s = buttons[static_cast<std::size_t>(p * button_count + b)];
            std::uint16_t code = s.code;
            if (s.changed()) code = code_of(s.shown).value_or(s.code);
            std::size_t pos = code_position(*at, p, b);
            out[pos] = static_cast<char>(code & 0xFF);
            out[pos + 1] = static_cast<char>(code >> 8);
        }
    }
    return out;
}

}  // namespace rx::ootake
