// Word wrapping by measured width and the message window's layout.
#include "widgets/logic/text_wrap.h"

#include <algorithm>

namespace rx {
namespace {

// Appends one paragraph (no line feeds) broken into lines.
void wrap_paragraph(std::string_view paragraph, int width, const text_measure& measure,
                    std::vector<std::string>& lines) {
    std::string line;
    std::size_t at = 0;
    bool any = false;
    while (at < paragraph.size()) {
        std::size_t start = paragraph.find_first_not_of(' ', at);
        if (start == std::string_view::npos) break;
        std::size_t end = paragraph.find(' ', start);
        if (end == std::string_view::npos) end = paragraph.size();
        std::string_view word = paragraph.substr(start, end - start);
        at = end;
        std::string joined = line.empty() ? std::string(word) : line + " " + std::string(word);
        if (measure(joined) <= width) {
            line = std::move(joined);
            continue;
        }
        if (!line.empty()) {
            lines.push_back(line);
            any = true;
            line.clear();
        }
        // A word too wide for a line of its own is cut where it stops fitting (at least one
        // character per line, so even a tiny width ends).
        while (measure(word) > width) {
            std::size_t fit = 1;
            while (fit < word.size() && measure(word.substr(0, fit + 1)) <= width) ++fit;
            lines.emplace_back(word.substr(0, fit));
            any = true;
            word.remove_prefix(fit);
        }
        line = std::string(word);
    }
    if (!line.empty() || !any) lines.push_back(line);
}

}  // namespace

std::vector<std::string> wrap_text(std::string_view text, int width, const text_measure& measure) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (;;) {
        std::size_t end = text.find('\n', at);
        std::string_view paragraph =
            text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
        wrap_paragraph(paragraph, width, measure, lines);
        if (end == std::string_view::npos) break;
        at = end + 1;
    }
    return lines;
}

message_layout layout_message(std::string_view text, int line_height, const text_measure& measure) {
    message_layout layout;
    layout.width = message_window_width;
    layout.line_height = std::max(line_height, 1);
    layout.text_x = message_margin;
    layout.text_y = message_margin;
    const int text_width = message_window_width - 2 * message_margin;
    layout.lines = wrap_text(text, text_width, measure);
    // What the text may take once margins and the button row are counted.
    const int room = message_max_height - 3 * message_margin - message_button_height;
    const std::size_t fit = static_cast<std::size_t>(std::max(room / layout.line_height, 1));
    if (layout.lines.size() > fit) {
        layout.lines.resize(fit);
        std::string& last = layout.lines.back();
        while (!last.empty() && measure(last + "...") > text_width) last.pop_back();
        last += "...";
    }
    const int text_height = static_cast<int>(layout.lines.size()) * layout.line_height;
    layout.button_x = (message_window_width - message_button_width) / 2;
    layout.button_y = layout.text_y + text_height + message_margin;
    layout.height = layout.button_y + message_button_height + message_margin;
    return layout;
}

}  // namespace rx
