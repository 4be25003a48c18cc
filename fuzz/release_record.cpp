// Fuzz target: the program folder's record of installed releases and the key it trusts, and the
// release line the browser reads from a signature reply.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "updater/logic/release.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace up = rx::updater;
    const std::string_view record(reinterpret_cast<const char*>(data), size);
    (void)up::offered_release(record);
    const std::uint64_t before = up::recorded_release(record, "v4.30");
    const std::string raised = up::with_release(record, "v4.30", before + 1);
    rx::fuzz::check(up::recorded_release(raised, "v4.30") == before + 1,
                    "a recorded release reads back");
    rx::fuzz::check(up::recorded_release(raised, "v4.31") == up::recorded_release(record, "v4.31"),
                    "other locations keep their release");
    rx::fuzz::check(up::trusted_key_hex(raised) == up::trusted_key_hex(record),
                    "recording a release keeps the trusted key");
    const std::string key(64, 'a');
    const std::string rotated = up::with_trusted_key(raised, key);
    rx::fuzz::check(up::trusted_key_hex(rotated) == key, "a handed-over key reads back");
    rx::fuzz::check(up::recorded_release(rotated, "v4.30") == before + 1,
                    "a handed-over key keeps the releases");
    return 0;
}
