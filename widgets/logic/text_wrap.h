// Breaking a message of any length into lines that fit a window, and the window's layout around
// them.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rx {

// Width in pixels of a piece of text, as the font in use would draw it.
using text_measure = std::function<int(std::string_view)>;

// Lines of `text` no wider than `width`: words stay whole where they fit, a line feed always starts
// a new line, and a word wider than the whole line is cut between characters so nothing runs out of
// the window. Blanks at a break are dropped.
std::vector<std::string> wrap_text(std::string_view text, int width, const text_measure& measure);

// Where everything of a message window stands.
struct message_layout {
    int width = 0;
    int height = 0;
    int text_x = 0;
    int text_y = 0;
    int line_height = 0;
    int button_x = 0;
    int button_y = 0;
    std::vector<std::string> lines;  // those that fit; the last one marked as cut when some did not
};

constexpr int message_window_width = 480;
constexpr int message_margin = 20;
constexpr int message_button_width = 150;
constexpr int message_button_height = 40;
// The tallest window still fits the programs' own 800 x 600 screens.
constexpr int message_max_height = 560;

// The window grows with the text up to message_max_height; lines beyond are dropped and the last
// shown one ends in "...".
message_layout layout_message(std::string_view text, int line_height, const text_measure& measure);

}  // namespace rx
