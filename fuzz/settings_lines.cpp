// Fuzz target: splitting an emulator's settings file into lines and joining them back.
#include "emulators/settings_lines.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto lines = rx::split_lines(text);
    rx::fuzz::check(rx::join_lines(lines) == text, "lines join back to the same bytes");
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        rx::fuzz::check(!lines[i].empty() && lines[i].back() == '\n', "inner lines end in LF");
    }
    return 0;
}
