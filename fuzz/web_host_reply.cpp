// Fuzz target: rxlib's reading of the web host's replies (the connection check) and the numbers in
// the game server's replies.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "rxlib/logic/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    // The monitor joins up to 511 bytes per receive, each read as text up to its first NUL.
    std::string reply;
    for (std::size_t at = 0; at < size; at += rx::lib::http_buffer_size - 1) {
        std::size_t n =
            size - at < rx::lib::http_buffer_size - 1 ? size - at : rx::lib::http_buffer_size - 1;
        reply += rx::lib::reply_text(bytes + at, n);
    }
    rx::lib::connection_reply_ok(reply);
    if (auto number = rx::lib::leading_number(std::string_view(bytes, size))) {
        rx::fuzz::check(!std::string_view(bytes, size).empty(), "a number needs digits");
    }
    rx::lib::classify_login_reply(reply);
    return 0;
}
