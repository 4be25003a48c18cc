// Fuzz target: the update's signature file, refused with a reason unless it is well formed, and
// never taken as signed by the service's key unless the key made it.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "updater/logic/manifest.h"
#include "updater/logic/signature.h"

namespace {

bool lower_hex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace up = rx::updater;
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const up::signature_result result = up::parse_signature(reply);
    if (!result.value) {
        rx::fuzz::check(!result.reason.empty(), "a refusal says why");
    } else {
        const up::update_signature& s = *result.value;
        rx::fuzz::check(up::valid_location(s.location), "the location is a version text");
        rx::fuzz::check(!s.files.empty() && s.files.size() <= up::max_signed_files,
                        "some files, not too many");
        for (const up::signed_file& file : s.files) {
            rx::fuzz::check(!file.entry.empty() && file.entry[0] == '/', "an entry starts with /");
            rx::fuzz::check(file.entry.find(' ') == std::string::npos, "an entry holds no blank");
            rx::fuzz::check(file.size <= up::max_total, "a size the counter can show");
        }
        // The signed text is a part of the reply that ends with a line feed and holds the location.
        rx::fuzz::check(reply.find(s.signed_text) != std::string_view::npos,
                        "the signed text comes from the reply");
        rx::fuzz::check(!s.signed_text.empty() && s.signed_text.back() == '\n',
                        "the signed text ends a line");
        const std::string tail(reply.substr(reply.size() - 129 - 1));
        for (std::size_t i = 0; i + 1 < tail.size(); ++i)
            rx::fuzz::check(lower_hex(tail[i]) || i == 0, "the file ends with the signature's hex");
    }
    // A fuzzed file is never signed by a fixed key of ours (it cannot forge Ed25519).
    up::key_seed seed{};
    seed.fill(0x11);
    static const up::public_key key = up::public_key_of(seed);
    const std::string problem =
        up::check_signature(reply, "filesize:1\n/a.gz\n", "v4.30", key, nullptr);
    rx::fuzz::check(!problem.empty(), "only our key signs");
    return 0;
}
