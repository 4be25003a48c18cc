// The SNES screen: twelve rows per player, read from and written to zinput.cfg.
#include "browser/controls/rx_snes_controls_input.h"

#include "browser/controls/codec_records.h"
#include "browser/controls/logic/zsnes_settings.h"
#include "browser/core/app.h"

namespace rx {

namespace {

const console_shape& snes_shape() {
    static const console_shape shape = [] {
        console_shape s;
        s.prompts = {"Press Up",     "Press Down",  "Press Left", "Press Right",
                     "Press Select", "Press Start", "Press A",    "Press B",
                     "Press X",      "Press Y",     "Press L",    "Press R"};
        s.images =
            label_column(5, 90,
                         {"static_up.png", "static_down.png", "static_left.png", "static_right.png",
                          "static_select.png", "static_start.png", "static_a.png", "static_b.png",
                          "static_x.png", "static_y.png", "static_l.png", "static_r.png"});
        capture_column column;
        column.boxes = box_column(160, 90, zsnes::button_count);
        column.set_all = widget_place{"set all", 158, 450, 150, 40, "button_set_all.png"};
        s.columns.push_back(column);
        s.save = widget_place{"save settings", 312, 450, 150, 40, "button_save_settings.png"};
        s.players = 2;
        return s;
    }();
    return shape;
}

}  // namespace

rx_snes_controls_input::rx_snes_controls_input()
    : console_screen("rx_snes_controls_input", "SNES Controls:", snes_shape()) {}

bool rx_snes_controls_input::load_controls() {
    return load_controls_with_codec(*this, "zinput.cfg", zsnes::load);
}

void rx_snes_controls_input::save_settings() {
    save_settings_with_codec(*this, "zinput.cfg", zsnes::save);
}

}  // namespace rx
