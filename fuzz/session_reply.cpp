// Fuzz target: the web host's login and version replies.
#include <cstdint>
#include <string_view>

#include "browser/base/logic/session_text.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    rx::parse_account_kind(reply);
    if (auto version = rx::parse_version(reply)) {
        rx::fuzz::check(version->size() <= size, "the version comes from the reply");
        rx::update_due(*version);
        rx::update_parameters(1, *version);
    }
    rx::update_due(reply);
    return 0;
}
