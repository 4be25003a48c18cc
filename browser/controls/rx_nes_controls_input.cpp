// The NES screen: eight rows for each of nester's two controllers, kept in the registry.
#include "browser/controls/rx_nes_controls_input.h"

#include <string>
#include <vector>

#include "browser/core/app.h"
#include "platform/input_guid.h"

namespace rx {

namespace {

const console_shape& nes_shape() {
    static const console_shape shape = [] {
        console_shape s;
        s.prompts = {"Press Up",     "Press Down",  "Press Left", "Press Right",
                     "Press Select", "Press Start", "Press A",    "Press B"};
        s.images =
            label_column(5, 90,
                         {"static_up.png", "static_down.png", "static_left.png", "static_right.png",
                          "static_select.png", "static_start.png", "static_a.png", "static_b.png"});
        capture_column column;
        column.boxes = box_column(160, 90, nester::button_count);
        // nester reads keys, buttons and the first stick, not the hat.
        column.hats = false;
        column.set_all = widget_place{"set all", 158, 330, 150, 40, "button_set_all.png"};
        s.columns.push_back(column);
        s.save = widget_place{"save settings", 312, 330, 150, 40, "button_save_settings.png"};
        s.players = nester::controller_count;
        return s;
    }();
    return shape;
}

void log_all(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) log_error(line);
}

}  // namespace

rx_nes_controls_input::rx_nes_controls_input()
    : console_screen("rx_nes_controls_input", "NES Controls:", nes_shape()) {}

platform::registry& rx_nes_controls_input::store() {
    return store_ != nullptr ? *store_ : platform::user_registry();
}

bool rx_nes_controls_input::load_controls() {
    bool loaded = false;
    run_logged(class_name(), "load_nes", [&] {
        std::vector<std::string> log;
        slots_ = nester::load(store(), platform::keyboard_guid(), log);
        log_all(log);
        for (int c = 0; c < nester::controller_count; ++c) {
            for (int r = 0; r < nester::button_count; ++r) {
                const nester::slot& s =
                    slots_[static_cast<std::size_t>(c * nester::button_count + r)];
                binding& b = record(c, 0, r);
                b.shown_name = s.shown;
                b.emulator_name = s.shown;
                b.captured = false;
            }
        }
        loaded = true;
    });
    select_player(0);
    return loaded;
}

void rx_nes_controls_input::save_settings() {
    run_logged(class_name(), "save_nes", [&] {
        for (int c = 0; c < nester::controller_count; ++c) {
            for (int r = 0; r < nester::button_count; ++r) {
                nester::slot& s = slots_[static_cast<std::size_t>(c * nester::button_count + r)];
                const binding& b = record(c, 0, r);
                s.shown = b.shown_name;
                s.touched = s.touched || b.captured;
            }
        }
        std::vector<std::string> log;
        nester::save(store(), slots_, platform::input_devices(), log);
        log_all(log);
        // A button that was written is the new saved state; one that was not stays marked so the
        // next save tries it again.
        for (int c = 0; c < nester::controller_count; ++c) {
            for (int r = 0; r < nester::button_count; ++r) {
                const nester::slot& s =
                    slots_[static_cast<std::size_t>(c * nester::button_count + r)];
                binding& b = record(c, 0, r);
                if (!s.changed()) {
                    b.emulator_name = s.shown;
                    b.captured = false;
                }
            }
        }
    });
}

}  // namespace rx
