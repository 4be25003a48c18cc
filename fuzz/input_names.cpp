// Fuzz target: joystick and key names as settings files and capture boxes hand them over.
#include "emulators/input_names.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    rx::leading_integer(text);
    rx::is_decimal_number(text);
    if (auto input = rx::parse_joystick_name(text)) {
        using kind = rx::joystick_input::input_kind;
        rx::fuzz::check(input->joystick >= 1 && input->joystick <= 9, "joysticks 1 to 9");
        // A name that parses whole is the very name the capture box gives that input.
        std::string again;
        const int index = input->joystick - 1;
        switch (input->kind) {
            case kind::button:
                again = rx::joystick_button_name(index, input->index);
                break;
            case kind::axis:
                again = rx::joystick_axis_name(index, input->index, input->positive);
                break;
            case kind::hat:
                again = rx::joystick_hat_name(index, input->hat);
                break;
            case kind::none:
                break;
        }
        if (input->kind != kind::none && input->kind != kind::button) {
            rx::fuzz::check(again == text, "a parsed name is the name of its input");
        }
        if (input->kind == kind::button) {
            rx::fuzz::check(rx::parse_joystick_name(again).has_value(), "names parse back");
        }
    }
    return 0;
}
