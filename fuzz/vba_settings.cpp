// Fuzz target: VisualBoyAdvance's vba.ini read, shown and written back unchanged.
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
    std::array<std::string, vba::row_count> shown;
    for (int r = 0; r < vba::row_count; ++r) {
        const auto& value = loaded.values[static_cast<std::size_t>(r)];
        const std::string loaded_value = value ? *value : std::string("0");
        shown[r] = vba::get_std_name(loaded_value);
        values[r] = vba::get_emu_name(shown[r], loaded_value, false);
        // A row the user left alone is written back with the value it had, so it shows the same
        // name, keypad Enter and joystick inputs without a name included.
        rx::fuzz::check(vba::get_std_name(values[r]) == shown[r],
                        "an untouched row keeps its name");
        // What the saved file must show again.
        shown[r] = vba::get_std_name(values[r]);
    }
    if (auto written = vba::rewrite(text, values)) {
        // Only the ten binding lines change; the file keeps its number of lines.
        rx::fuzz::check(rx::split_lines(*written).size() >= rx::split_lines(text).size(),
                        "no line is lost");
        const vba::load_result again = vba::parse(*written);
        rx::fuzz::check(again.complete, "a rewritten file holds every binding");
        for (int r = 0; r < vba::row_count; ++r) {
            rx::fuzz::check(
                vba::get_std_name(*again.values[static_cast<std::size_t>(r)]) == shown[r],
                "a saved file shows what was shown");
        }
    }
    return 0;
}
