// Fuzz target: VisualBoyAdvance's vba.ini read, turned into inputs and written back unchanged.
#include "emulators/vba_settings.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "emulators/settings_lines.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace vba = rx::vba;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const vba::load_result loaded = vba::parse(text);
    std::array<std::string, vba::row_count> values;
    std::array<rx::input, vba::row_count> inputs;
    for (int r = 0; r < vba::row_count; ++r) {
        const auto& value = loaded.values[static_cast<std::size_t>(r)];
        rx::binding row{};
        row.emu = value ? *value : std::string("0");
        row.id = vba::input_of(row.emu);
        values[r] = vba::saved_value(row);
        // A row the user left alone is written back with the value it had, so it holds the same
        // input, keypad Enter and joystick inputs without a name included.
        rx::fuzz::check(vba::input_of(values[r]) == row.id, "an untouched row keeps its input");
        // Captured, an input the codes can hold is written as a value that reads back as it.
        row.captured = true;
        if (vba::value_of(row.id))
            rx::fuzz::check(vba::input_of(vba::saved_value(row)) == row.id,
                            "a captured input reads back");
        inputs[r] = vba::input_of(values[r]);
    }
    if (auto written = vba::rewrite(text, values)) {
        // Only the ten binding lines change; the file keeps its number of lines.
        rx::fuzz::check(rx::split_lines(*written).size() >= rx::split_lines(text).size(),
                        "no line is lost");
        const vba::load_result again = vba::parse(*written);
        rx::fuzz::check(again.complete, "a rewritten file holds every binding");
        for (int r = 0; r < vba::row_count; ++r) {
            rx::fuzz::check(vba::input_of(*again.values[static_cast<std::size_t>(r)]) == inputs[r],
                            "a saved file holds what was saved");
        }
    }
    return 0;
}
