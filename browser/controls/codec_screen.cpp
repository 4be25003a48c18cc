// The data-only console screens: Gens' two pads of eleven rows in gens.cfg and ZSNES' two pads of
// twelve rows in zinput.cfg.
#include "browser/controls/codec_screen.h"

#include <array>

#include "browser/controls/logic/gens_settings.h"
#include "browser/controls/logic/zsnes_settings.h"

namespace rx {

namespace {

// One capture column of `rows` boxes at x 160 with Set All and Save Settings side by side below it.
console_shape pad_shape(std::vector<const char*> prompts, const std::vector<const char*>& labels,
                        int rows, int buttons_y) {
    console_shape s;
    s.prompts = std::move(prompts);
    s.images = label_column(5, 90, labels);
    capture_column column;
    column.boxes = box_column(160, 90, rows);
    column.set_all = widget_place{"set all", 158, buttons_y, 150, 40, "button_set_all.png"};
    s.columns.push_back(column);
    s.save = widget_place{"save settings", 312, buttons_y, 150, 40, "button_save_settings.png"};
    s.players = 2;
    return s;
}

const console_shape& gens_shape() {
    static const console_shape shape =
        pad_shape({"Press Up", "Press Down", "Press Left", "Press Right", "Press Start", "Press A",
                   "Press B", "Press C", "Press X", "Press Y", "Press Z"},
                  {"static_up.png", "static_down.png", "static_left.png", "static_right.png",
                   "static_start.png", "static_a.png", "static_b.png", "static_c.png",
                   "static_x.png", "static_y.png", "static_z.png"},
                  gens::row_count, 420);
    return shape;
}

const console_shape& zsnes_shape() {
    static const console_shape shape =
        pad_shape({"Press Up", "Press Down", "Press Left", "Press Right", "Press Select",
                   "Press Start", "Press A", "Press B", "Press X", "Press Y", "Press L", "Press R"},
                  {"static_up.png", "static_down.png", "static_left.png", "static_right.png",
                   "static_select.png", "static_start.png", "static_a.png", "static_b.png",
                   "static_x.png", "static_y.png", "static_l.png", "static_r.png"},
                  zsnes::button_count, 450);
    return shape;
}

const std::array<codec_screen_kind, 2>& kinds() {
    static const std::array<codec_screen_kind, 2> table{{
        {"gens", "gens.cfg", gens_shape, gens::load, gens::save},
        {"zsnes", "zinput.cfg", zsnes_shape, zsnes::load, zsnes::save},
    }};
    return table;
}

}  // namespace

const codec_screen_kind* find_codec_screen(std::string_view settings_screen) {
    for (const auto& kind : kinds())
        if (kind.settings_screen == settings_screen) return &kind;
    return nullptr;
}

codec_screen::codec_screen(const char* class_name, const char* title, const codec_screen_kind& kind)
    : console_screen(class_name, title, kind.shape()), kind_(kind) {}

bool codec_screen::load_controls() {
    return load_controls_with_codec(*this, kind_.file_name, kind_.load);
}

void codec_screen::save_settings() {
    save_settings_with_codec(*this, kind_.file_name, kind_.save);
}

}  // namespace rx
