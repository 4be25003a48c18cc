// Fuzz target: the file that stands in for the Windows registry on POSIX, read and written back.
#include "platform/registry_text.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace rt = rx::platform::registry_text;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    rt::document doc = rt::parse(text);
    const std::string written = rt::serialise(doc);
    // Written once, the file reads back to the same text.
    rx::fuzz::check(rt::serialise(rt::parse(written)) == written, "a written file is stable");
    for (const rt::section& s : doc.sections) {
        for (const rt::line& l : s.lines) {
            if (!l.is_value) continue;
            const rt::line* found = rt::find(doc, s.key, l.name);
            rx::fuzz::check(found != nullptr, "every value read is found");
            rx::fuzz::check(rt::has_key(doc, s.key), "its key is there");
        }
    }
    rt::set(doc, "Software\\nester\\NES\\Input\\Controller1\\Up", "Key", rt::value_type::binary,
            {0xc8});
    rt::document again = rt::parse(rt::serialise(doc));
    const rt::line* key = rt::find(again, "software\\NESTER\\nes\\input\\controller1\\up", "key");
    rx::fuzz::check(key != nullptr && key->data == std::vector<std::uint8_t>{0xc8},
                    "a value set is read back");
    return 0;
}
