// Fuzz target: MEKA's meka.inp read and saved back with nothing captured.
#include "emulators/meka_settings.h"

#include <cstdint>
#include <string_view>

#include "fuzz/binding_codec_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace meka = rx::meka;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    rx::meka::sections found;
    meka::find_sections(bytes, found);
    rx::fuzz::check_unchanged_save(
        bytes, meka::binding_count,
        [](std::string_view b, std::vector<rx::binding>& r) {
            return meka::load(b, r).status == meka::load_status::loaded;
        },
        [](std::string_view b, const std::vector<rx::binding>& r) { return meka::save(b, r); });
    return 0;
}
