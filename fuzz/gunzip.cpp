// Fuzz target: unpacking a downloaded update file, whole and fed in pieces.
#include "updater/logic/gunzip.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rx::fuzz::input in(data, size);
    const std::size_t piece = 1 + in.byte();
    const std::string_view file = in.rest();
    std::string whole;
    const bool ok = rx::updater::gunzip_all(file, whole);
    if (!ok) rx::fuzz::check(whole.empty(), "a refused file leaves nothing");

    // The same bytes as a download delivers them: the result does not depend on the pieces.
    rx::updater::gunzip stream(1 << 20);
    std::string pieces;
    bool fed = true;
    for (std::size_t at = 0; at < file.size() && fed; at += piece) {
        fed = stream.feed(file.substr(at, piece), [&pieces](const char* bytes, std::size_t n) {
            pieces.append(bytes, n);
            return true;
        });
    }
    rx::fuzz::check(stream.unpacked() <= (1u << 20), "the unpack limit holds");
    if (ok && fed && stream.complete() && whole.size() <= (1u << 20)) {
        rx::fuzz::check(pieces == whole, "pieces unpack to the same bytes");
    }
    return 0;
}
