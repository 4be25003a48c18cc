// The Atari 2600 screen: locked boxes showing each player's fixed keys.
#include "browser/controls/rx_atari2600_controls_input.h"

#include <array>

namespace rx {

namespace {

constexpr int row_count = 5;

const console_shape& atari_shape() {
    static const console_shape shape = [] {
        console_shape s;
        s.prompts = {"Press Up", "Press Down", "Press Left", "Press Right", "Press Fire"};
        s.images = label_column(5, 60,
                                {"static_up.png", "static_down.png", "static_left.png",
                                 "static_right.png", "static_fire.png"});
        s.images.push_back({"information", 0, 301, 800, 299, "atari2600_information.png"});
        capture_column column;
        // 110 rather than 100: the 100 px row labels at x 5 end at 105.
        column.boxes = box_column(110, 60, row_count);
        s.columns.push_back(column);
        s.players = 2;
        s.locked = true;
        return s;
    }();
    return shape;
}

// The emulator's fixed keys by code, player 1 then player 2, in row order: the arrows and Left
// Ctrl, then E, D, S, F and N.
constexpr std::array<std::array<int, row_count>, 2> fixed_keys{{
    {200, 208, 203, 205, 29},
    {18, 32, 31, 33, 49},
}};

}  // namespace

rx_atari2600_controls_input::rx_atari2600_controls_input()
    : console_screen("rx_atari2600_controls_input", "Atari 2600 Controls:", atari_shape()) {
    set_logged_names("init()", "show()");
}

void rx_atari2600_controls_input::init() {
    for (int p = 0; p < 2; ++p) {
        for (int r = 0; r < row_count; ++r) {
            record(p, 0, r).id =
                input::key(fixed_keys[static_cast<std::size_t>(p)][static_cast<std::size_t>(r)]);
        }
    }
    console_screen::init();
    select_player(0);
}

}  // namespace rx
