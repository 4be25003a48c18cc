// Test support: reading a test game's picture in an emulator window (its start count and square),
// shared by the Linux and the Wine end-to-end plays.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "x11_windows.h"

namespace rx::test {

// The colours a test game draws, as the window shows them.
struct game_colours {
    std::uint32_t background, unlit, lit, square;
};

struct area {
    int left = -1, top = -1, right = -1, bottom = -1;  // inclusive; left -1: the colour is absent
    int count = 0;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

// Where colours `a` and `b` are inside `within` (the whole picture when it is absent).
inline area find_colours(const window_picture& p, std::uint32_t a, std::uint32_t b,
                         area within = {}) {
    if (within.left < 0) within = {0, 0, p.width - 1, p.height - 1, 0};
    area found;
    for (int y = within.top; y <= within.bottom; ++y) {
        for (int x = within.left; x <= within.right; ++x) {
            const std::uint32_t c = p.at(x, y);
            if (c != a && c != b) continue;
            if (found.count++ == 0) found = {x, y, x, y, 1};
            found.left = std::min(found.left, x);
            found.right = std::max(found.right, x);
            found.top = std::min(found.top, y);
            found.bottom = std::max(found.bottom, y);
        }
    }
    return found;
}

inline int changed_pixels(const window_picture& a, const window_picture& b) {
    if (a.pixels.size() != b.pixels.size()) return static_cast<int>(b.pixels.size());
    int changed = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) changed += a.pixels[i] != b.pixels[i];
    return changed;
}

// The most common colours of a picture: what a failure message shows.
inline std::string colour_summary(const window_picture& p) {
    std::map<std::uint32_t, int> counts;
    for (std::uint32_t c : p.pixels) ++counts[c];
    std::vector<std::pair<int, std::uint32_t>> order;
    for (const auto& [colour, n] : counts) order.push_back({n, colour});
    std::sort(order.rbegin(), order.rend());
    std::ostringstream text;
    text << p.width << "x" << p.height << ":";
    for (std::size_t i = 0; i < order.size() && i < 8; ++i)
        text << " " << std::hex << order[i].second << std::dec << "=" << order[i].first;
    return text.str();
}

// What the game shows: the start count in its eight boxes and where its square is.
struct game_view {
    int counter = -1;  // -1: the boxes are not all shown
    area square;
    double scale = 0;  // window pixels per game pixel across
};

inline game_view read_game(const window_picture& p, const game_colours& c) {
    game_view view;
    // The game's picture is the background's area; the window is black around it (and the
    // Gameboy's square is black too).
    const area picture = find_colours(p, c.background, c.background);
    if (picture.count < p.width * p.height / 3) return view;
    view.square = find_colours(p, c.square, c.square, picture);
    const area boxes = find_colours(p, c.lit, c.unlit, picture);
    if (boxes.count == 0) return view;
    // Eight boxes of eight game pixels side by side, highest bit first.
    view.scale = boxes.width() / 64.0;
    int value = 0;
    for (int bit = 0; bit < 8; ++bit) {
        const int x = boxes.left + (2 * bit + 1) * boxes.width() / 16;
        const std::uint32_t colour = p.at(x, (boxes.top + boxes.bottom) / 2);
        if (colour != c.lit && colour != c.unlit) return view;
        value = value << 1 | (colour == c.lit);
    }
    view.counter = value;
    return view;
}

// The start count a battery save holds in the record at `at`; -1 without the game's record.
inline int saved_count(const std::string& save, std::size_t at) {
    if (save.size() < at + 5 || save.compare(at, 4, "RLCD") != 0) return -1;
    return static_cast<unsigned char>(save[at + 4]);
}

}  // namespace rx::test
