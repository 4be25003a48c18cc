// News page data: splitting the news reply and wrapping the body text.
#include "browser/screens/logic/news.h"

namespace rx::catalogue {

std::array<std::string, 3> split_news(std::string_view reply) {
    std::array<std::string, 3> fields;
    std::size_t pos = reply.find('|');
    for (auto& field : fields) {
        if (pos == std::string_view::npos) break;
        pos = reply.find_first_not_of('|', pos);
        if (pos == std::string_view::npos) break;
        std::size_t end = reply.find('|', pos);
        if (end == std::string_view::npos) end = reply.size();
        field = std::string(reply.substr(pos, end - pos));
        pos = end < reply.size() ? end : std::string_view::npos;
    }
    return fields;
}

namespace {

constexpr std::size_t line_limit = 44;

// Start of the word after the one at or around `from`; npos when no word follows.
std::size_t next_word(std::string_view text, std::size_t from) {
    const std::size_t blank = text.find(' ', from);
    if (blank == std::string_view::npos) return blank;
    return text.find_first_not_of(' ', blank);
}

}  // namespace

std::vector<std::string> wrap_news_body(std::string_view body) {
    std::vector<std::string> lines;
    while (!body.empty()) {
        std::size_t e = 0;
        do {
            e = next_word(body, e);
        } while (e != std::string_view::npos && e <= line_limit);
        if (e == std::string_view::npos) {
            lines.emplace_back(body);
            break;
        }
        lines.emplace_back(body.substr(0, e));
        body.remove_prefix(e);
    }
    return lines;
}

}  // namespace rx::catalogue
