// Fuzz target: Ootake's binary ootake.dat read and saved back unchanged.
#include "emulators/ootake_settings.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "emulators/input_names.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace ootake = rx::ootake;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto loaded = ootake::load(bytes);
    rx::fuzz::check(loaded.has_value() == ootake::find_marker(bytes).has_value(),
                    "a file loads exactly when it holds the marker and both blocks");
    if (!loaded) {
        rx::fuzz::check(!ootake::save(bytes, ootake::slots{}).has_value(), "nothing is written");
        return 0;
    }
    for (const ootake::slot& s : *loaded) {
        // Every name loaded leads back to a code the file can hold, except the bare numbers of
        // codes without a name, which no capture can produce (their buttons keep their codes).
        if (rx::is_decimal_number(s.shown)) continue;
        if (auto code = ootake::code_of(s.shown)) {
            rx::fuzz::check(ootake::std_name(*code) == s.shown, "names and codes agree");
        }
    }
    const auto saved = ootake::save(bytes, *loaded);
    rx::fuzz::check(saved.has_value() && *saved == bytes,
                    "a save without changes keeps every byte");
    return 0;
}
