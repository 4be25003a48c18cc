// Reading and writing the joypad blocks of Ootake's settings file.
#include "emulators/ootake_settings.h"

#include <algorithm>

namespace rx::ootake {

namespace {

// Codes from 300 up are joystick inputs: 100 per joystick, then the input number.
constexpr int first_joystick_code = 300;
constexpr int codes_per_joystick = 100;
constexpr int first_button_input = 50;

// Inputs 0 to 7: up, right, down, left on the stick (Y negative, X positive, Y positive, X
// negative), then on the hat.
constexpr int stick_inputs = 4;
struct stick_input {
    int axis;
    bool positive;
};
constexpr stick_input stick[stick_inputs] = {{1, false}, {0, true}, {1, true}, {0, false}};
constexpr hat_direction hat[] = {hat_direction::up, hat_direction::right, hat_direction::down,
                                 hat_direction::left};

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

input input_of(std::uint16_t code) {
    if (code < first_joystick_code) return input::key(code);
    const int joystick = (code - first_joystick_code) / codes_per_joystick + 1;
    const int number = (code - first_joystick_code) % codes_per_joystick;
    if (!storable_joystick(joystick)) return input::value(code);
    if (number < stick_inputs)
        return input::axis(joystick, stick[number].axis, stick[number].positive);
    if (number < 2 * stick_inputs) return input::pov(joystick, hat[number - stick_inputs]);
    if (number >= first_button_input) return input::button(joystick, number - first_button_input);
    return input::value(code);
}

std::optional<std::uint16_t> code_of(const input& bound) {
    if (bound.type == input::kind::key) {
        if (bound.index < 0 || bound.index >= first_joystick_code) return std::nullopt;
        return static_cast<std::uint16_t>(bound.index);
    }
    if (!storable_joystick(bound.joystick)) return std::nullopt;
    int number = -1;
    if (bound.type == input::kind::button) {
        if (bound.index < 0 || bound.index >= codes_per_joystick - first_button_input)
            return std::nullopt;
        number = first_button_input + bound.index;
    }
    for (int i = 0; i < stick_inputs; ++i) {
        if (bound.type == input::kind::axis && bound.index == stick[i].axis &&
            bound.positive == stick[i].positive)
            number = i;
        if (bound.type == input::kind::hat && bound.hat == hat[i]) number = stick_inputs + i;
    }
    if (number < 0) return std::nullopt;
    return static_cast<std::uint16_t>(first_joystick_code +
                                      (bound.joystick - 1) * codes_per_joystick + number);
}

bool load(std::string_view bytes, std::vector<binding>& records) {
    auto at = find_marker(bytes);
    if (!at) return false;
    records.resize(std::max<std::size_t>(records.size(), slot_count));
    for (int p = 0; p < player_count; ++p) {
        for (int b = 0; b < button_count; ++b) {
            std::size_t pos = code_position(*at, p, b);
            const auto code =
                static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[pos]) |
                                           static_cast<unsigned char>(bytes[pos + 1]) << 8);
            set_loaded(records[static_cast<std::size_t>(p * button_count + b)],
                       std::to_string(code), input_of(code));
        }
    }
    return true;
}

std::optional<std::string> save(std::string_view bytes, const std::vector<binding>& records) {
    auto at = find_marker(bytes);
    if (!at || records.size() < slot_count) return std::nullopt;
    std::string out(bytes);
    for (int p = 0; p < player_count; ++p) {
        for (int b = 0; b < button_count; ++b) {
            const binding& record = records[static_cast<std::size_t>(p * button_count + b)];
            const auto loaded = static_cast<std::uint16_t>(leading_integer(record.emu));
            const std::uint16_t code =
                record.captured ? code_of(record.id).value_or(loaded) : loaded;
            std::size_t pos = code_position(*at, p, b);
            out[pos] = static_cast<char>(code & 0xFF);
            out[pos + 1] = static_cast<char>(code >> 8);
        }
    }
    return out;
}

}  // namespace rx::ootake
