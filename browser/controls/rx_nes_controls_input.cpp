// The NES screen: eight rows for each of nester's two controllers, kept in the registry.
#include "browser/controls/rx_nes_controls_input.h"

#include <string>
#include <vector>

#include "browser/controls/codec_records.h"
#include "common/guard.h"
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
    return logged_load(*this, "load_nes", [&] {
        std::vector<std::string> log;
        keys_ = nester::load(store(), platform::keyboard_guid(), log);
        log_all(log);
        store_codec_records(*this, nester::bindings_of(keys_));
        return true;
    });
}

void rx_nes_controls_input::save_settings() {
    run_logged(class_name(), "save_nes", [&] {
        // A button that was written is the new saved state; one that was not stays captured so
        // the next save tries it again.
        std::vector<binding> records = codec_records(*this);
        std::vector<std::string> log;
        nester::save(store(), keys_, records, platform::input_devices(), log);
        log_all(log);
        store_codec_records(*this, records);
    });
}

}  // namespace rx
