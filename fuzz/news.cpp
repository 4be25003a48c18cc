// Fuzz target: the news reply's three fields and the wrapping of its body into lines.
#include "browser/screens/logic/news.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rx::catalogue;
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const auto fields = split_news(reply);
    std::string joined;
    for (const std::string& line : wrap_news_body(fields[2])) joined += line;
    // Wrapping only breaks the body into lines; it neither loses nor invents text.
    std::string compact_body, compact_lines;
    for (char c : fields[2])
        if (c != ' ') compact_body += c;
    for (char c : joined)
        if (c != ' ') compact_lines += c;
    rx::fuzz::check(compact_body == compact_lines, "wrapping keeps every word");
    // The raw reply wrapped as a body too: the wrapper must cope with any bytes.
    wrap_news_body(reply);
    return 0;
}
