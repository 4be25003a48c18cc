// Game list data: rows, the catalogue's list reply, list requests, title shortening and scrolling
// arithmetic.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rx::catalogue {

struct game_row {
    std::string title;
    std::string system_code;  // "None" only in the placeholder row
    std::string game_id;
    int availability = 0;  // 0: all copies in play; -1: full accounts only; other: playable
};

// Shown when a list exchange fails or holds no record; its play area leads to the unavailable
// message.
game_row placeholder_row();

// Reads every complete "||title||code||id||availability||EOL" record; the HTTP header and anything
// between records are skipped. False when the reply holds no record at all (the caller shows the
// placeholder row).
bool parse_list(std::string_view reply, std::vector<game_row>& rows);

inline constexpr int all_systems = 0;
inline constexpr int free_sampler = 1000;

// True when rows of this list show their own system code at the right.
bool shows_system_codes(int system_number);

// Path and query of the list request: the free sampler's, or the system's with the name filter as
// typed.
std::string list_target(int account_kind, int system_number, const std::string& system_code,
                        const std::string& name_filter);

// The title as drawn: when longer than `limit` characters, its first `keep` characters and "...".
std::string shorten_title(const std::string& title, std::size_t limit, std::size_t keep);
inline std::string shorten_row_title(const std::string& title) {
    return shorten_title(title, 30, 28);
}

// The list is 25 px per row, shown 500 px (20 rows) at a time at (100, 55).
inline constexpr int row_height = 25;
inline constexpr int view_width = 600;
inline constexpr int view_height = 500;
inline constexpr int list_x = 100;
inline constexpr int list_y = 55;
inline constexpr int page_step = 250;  // the up and down buttons move half a view

int scroll_up(int offset, int step);
int scroll_down(int offset, int step, std::size_t row_count);

enum class row_action { none, play, information };

struct row_hit {
    row_action action = row_action::none;
    bool on_row = false;  // the click fell on an existing row (which becomes the selected game)
    std::size_t row = 0;
};

// What a click at window position (x, y) does: the left 100 px of a row play it, the rest opens its
// information (except on the placeholder row, whose system code is "None"); outside the rows
// nothing.
row_hit hit_row(int x, int y, int offset, const std::vector<game_row>& rows);

// Lines and positions of the two refusals shown instead of starting a game.
struct text_line {
    int x;
    int y;
    const char* text;
};
std::vector<text_line> refusal_lines(int availability);

}  // namespace rx::catalogue
