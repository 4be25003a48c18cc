// Line splitting and joining for the settings codecs.
#include "emulators/settings_lines.h"

namespace rx {

std::vector<std::string> split_lines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        else
            ++end;
        lines.emplace_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

std::string join_lines(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const auto& line : lines) size += line.size();
    std::string text;
    text.reserve(size);
    for (const auto& line : lines) text += line;
    return text;
}

}  // namespace rx
