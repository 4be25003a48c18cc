// Fuzz target: Ootake's binary ootake.dat read and saved back unchanged.
#include "emulators/ootake_settings.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace ootake = rx::ootake;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<rx::binding> records;
    const bool loaded = ootake::load(bytes, records);
    rx::fuzz::check(loaded == ootake::find_marker(bytes).has_value(),
                    "a file loads exactly when it holds the marker and both blocks");
    if (!loaded) {
        rx::fuzz::check(!ootake::save(bytes, std::vector<rx::binding>(16)).has_value(),
                        "nothing is written");
        return 0;
    }
    for (const rx::binding& b : records) {
        // Every input loaded that the file can hold is stored as a code that reads back as it.
        if (auto code = ootake::code_of(b.id))
            rx::fuzz::check(ootake::input_of(*code) == b.id, "inputs and codes agree");
    }
    const auto saved = ootake::save(bytes, records);
    rx::fuzz::check(saved.has_value() && *saved == bytes,
                    "a save without changes keeps every byte");
    // Captured as the inputs they already hold, the buttons keep their codes too.
    for (rx::binding& b : records) b.captured = true;
    const auto recaptured = ootake::save(bytes, records);
    rx::fuzz::check(recaptured.has_value() && *recaptured == bytes,
                    "a capture of the same input keeps the code");
    return 0;
}
