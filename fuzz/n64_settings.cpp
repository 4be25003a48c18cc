// Fuzz target: the 1964 input plug-in's settings read and saved back unchanged.
#include "emulators/n64_settings.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace n64 = rx::n64;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    n64::parse_button_line(text);
    n64::input_of(text);
    const n64::bindings loaded = n64::load(text);
    rx::platform::device_list devices;
    devices.enumerated = true;
    devices.keyboard = "{6F1D2B61-D5A0-11CF-BFC7-444553540000}";
    devices.controllers.push_back({"Pad", "{10000000-0000-0000-0000-000000000001}"});
    const std::string saved = n64::save(text, loaded, devices);
    const n64::bindings again = n64::load(saved);
    for (int c = 0; c < n64::control_count; ++c) {
        rx::fuzz::check(
            again[static_cast<std::size_t>(c)].id == loaded[static_cast<std::size_t>(c)].id,
            "a save without changes shows the same bindings");
    }
    // Saving the saved file changes nothing more.
    rx::fuzz::check(n64::save(saved, again, devices) == saved, "saving is stable");
    return 0;
}
