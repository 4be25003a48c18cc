// Wrapping a message by measured width and laying out the message window around it.
#include "widgets/logic/text_wrap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every character 10 pixels wide, so widths in the cases read as character counts.
int ten_per_char(std::string_view text) {
    return static_cast<int>(text.size()) * 10;
}

struct wrap_case {
    const char* name;
    const char* text;
    int width;
    std::vector<std::string> lines;
};

class wrap : public ::testing::TestWithParam<wrap_case> {};

TEST_P(wrap, breaks_into_lines_that_fit) {
    const wrap_case& c = GetParam();
    const std::vector<std::string> lines = rx::wrap_text(c.text, c.width, ten_per_char);
    EXPECT_EQ(lines, c.lines);
    for (const std::string& line : lines) EXPECT_LE(ten_per_char(line), c.width) << line;
}

INSTANTIATE_TEST_SUITE_P(
    cases, wrap,
    ::testing::Values(wrap_case{"fits_whole", "short text", 100, {"short text"}},
                      wrap_case{"exact_width_stays", "abcde fghij", 110, {"abcde fghij"}},
                      wrap_case{"one_over_breaks", "abcde fghij", 100, {"abcde", "fghij"}},
                      wrap_case{"greedy_fill", "aa bb cc dd ee", 50, {"aa bb", "cc dd", "ee"}},
                      wrap_case{"blank_runs_read_as_one", "  aa   bb    cc ", 50, {"aa bb", "cc"}},
                      wrap_case{"line_feed_forces_break", "aa\nbb", 100, {"aa", "bb"}},
                      wrap_case{"crlf_read_as_line_feed", "aa\r\nbb", 100, {"aa", "bb"}},
                      wrap_case{"empty_paragraph_kept", "aa\n\nbb", 100, {"aa", "", "bb"}},
                      wrap_case{"long_word_cut", "abcdefghijkl", 50, {"abcde", "fghij", "kl"}},
                      wrap_case{"long_word_after_short", "ab cdefghij", 50, {"ab", "cdefg", "hij"}},
                      wrap_case{"one_char_wide", "abc", 15, {"a", "b", "c"}},
                      wrap_case{"empty_text_one_empty_line", "", 100, {""}}),
    [](const ::testing::TestParamInfo<wrap_case>& info) { return std::string(info.param.name); });

// A width narrower than any character must still end, one character per line.
TEST(wrap_narrow, narrower_than_a_character_still_ends) {
    EXPECT_EQ(rx::wrap_text("abc de", 5, ten_per_char),
              (std::vector<std::string>{"a", "b", "c", "d", "e"}));
}

TEST(message_layout, button_sits_below_the_text_inside_the_window) {
    const std::string text(200, 'x');  // 2000 px of one word: cut into 5 lines of 440
    const rx::message_layout layout = rx::layout_message(text, 20, ten_per_char);
    ASSERT_EQ(layout.lines.size(), 5u);
    EXPECT_EQ(layout.width, rx::message_window_width);
    const int text_bottom = layout.text_y + 5 * 20;
    EXPECT_GE(layout.button_y, text_bottom);
    EXPECT_EQ(layout.button_y + rx::message_button_height + rx::message_margin, layout.height);
    EXPECT_EQ(layout.button_x * 2 + rx::message_button_width, layout.width);
    for (const std::string& line : layout.lines) {
        EXPECT_LE(layout.text_x + ten_per_char(line), layout.width - rx::message_margin);
    }
}

TEST(message_layout, text_longer_than_the_tallest_window_is_cut_with_a_mark) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "line\n";
    const rx::message_layout layout = rx::layout_message(text, 20, ten_per_char);
    EXPECT_LE(layout.height, rx::message_max_height);
    ASSERT_LT(layout.lines.size(), 100u);
    EXPECT_EQ(layout.lines.back(), "line...");
    EXPECT_EQ(layout.lines.front(), "line");
}

TEST(message_layout, cut_mark_still_fits_a_full_last_line) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += std::string(44, 'y') + "\n";  // each line exactly full
    const rx::message_layout layout = rx::layout_message(text, 20, ten_per_char);
    const std::string& last = layout.lines.back();
    EXPECT_EQ(last.substr(last.size() - 3), "...");
    EXPECT_LE(ten_per_char(last), rx::message_window_width - 2 * rx::message_margin);
}

}  // namespace
