// Fuzz target: ZSNES's zinput.cfg read and saved back with nothing captured.
#include "emulators/zsnes_settings.h"

#include <cstdint>
#include <string_view>

#include "fuzz/binding_codec_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace codec = rx::zsnes;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    rx::fuzz::check_unchanged_save(
        bytes, codec::binding_count,
        [](std::string_view b, std::vector<rx::binding>& r) { return codec::load(b, r).ok; },
        [](std::string_view b, const std::vector<rx::binding>& r) { return codec::save(b, r); });
    return 0;
}
