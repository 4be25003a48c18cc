// The Genesis screen: eleven rows per player, read from and written to gens.cfg.
#include "browser/controls/rx_genesis_controls_input.h"

#include "browser/controls/codec_records.h"
#include "browser/controls/logic/gens_settings.h"
#include "browser/core/app.h"

namespace rx {

namespace {

const console_shape& genesis_shape() {
    static const console_shape shape = [] {
        console_shape s;
        s.prompts = {"Press Up",    "Press Down", "Press Left", "Press Right",
                     "Press Start", "Press A",    "Press B",    "Press C",
                     "Press X",     "Press Y",    "Press Z"};
        s.images =
            label_column(5, 90,
                         {"static_up.png", "static_down.png", "static_left.png", "static_right.png",
                          "static_start.png", "static_a.png", "static_b.png", "static_c.png",
                          "static_x.png", "static_y.png", "static_z.png"});
        capture_column column;
        column.boxes = box_column(160, 90, gens::row_count);
        column.set_all = widget_place{"set all", 158, 420, 150, 40, "button_set_all.png"};
        s.columns.push_back(column);
        s.save = widget_place{"save settings", 312, 420, 150, 40, "button_save_settings.png"};
        s.players = 2;
        return s;
    }();
    return shape;
}

}  // namespace

rx_genesis_controls_input::rx_genesis_controls_input()
    : console_screen("rx_genesis_controls_input", "Genesis Controls:", genesis_shape()) {}

bool rx_genesis_controls_input::load_controls() {
    return load_controls_with_codec(*this, "gens.cfg", gens::load);
}

void rx_genesis_controls_input::save_settings() {
    save_settings_with_codec(*this, "gens.cfg", gens::save);
}

}  // namespace rx
