// Fuzz target: the game information reply's screenshot names and the screenshot reply's body.
#include "browser/screens/logic/game_info.h"

#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rx::catalogue;
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    screenshot_names names{"kept", "", "", ""};
    if (parse_info(reply, names)) {
        for (const std::string& name : names) {
            // The end marker is never taken for a picture to fetch.
            rx::fuzz::check(name != "EOL", "the end marker is no screenshot name");
            rx::fuzz::check(name.size() <= size, "names come from the reply");
            rx::fuzz::check(screenshot_target(name).size() == 10 + name.size(), "one target");
        }
    } else {
        rx::fuzz::check(names[0] == "kept", "a reply without names leaves the old ones");
    }
    std::string_view body = screenshot_body(reply);
    rx::fuzz::check(body.empty() || body.data() + body.size() == reply.data() + reply.size(),
                    "the body is the reply's tail");
    return 0;
}
