// Fuzz target: key names read from settings files turned into codes and back.
#include "emulators/key_names.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const int code = rx::key_code_of(name);
    if (code != 0) {
        rx::fuzz::check(rx::key_std_name(code) == name, "a code found by name has that name");
    }
    return 0;
}
