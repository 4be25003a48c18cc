// The Turbo Graphics 16 screen: eight rows for each of Ootake's two players, kept in ootake.dat.
#include "browser/controls/rx_pce_controls_input.h"

#include <optional>
#include <stdexcept>
#include <vector>

#include "browser/base/program.h"
#include "browser/controls/codec_records.h"
#include "common/guard.h"
#include "emulators/binding_codec.h"
#include "emulators/input_names.h"
#include "platform/file.h"
#include "platform/path.h"

namespace rx {

namespace {

// Its emulator's profile: where the settings file is and what it is called.
const emulator_profile& profile() {
    return *profile_named("ootake");
}

const console_shape& pce_shape() {
    static const console_shape shape = [] {
        console_shape s;
        s.prompts = {"Press Up",     "Press Down", "Press Left",     "Press Right",
                     "Press Select", "Press Run",  "Press Button I", "Press Button II"};
        s.images = label_column(5, 90,
                                {"static_up.png", "static_down.png", "static_left.png",
                                 "static_right.png", "static_select.png"});
        auto wide = label_column(
            5, 90 + 30 * 5, {"static_run.png", "static_buttoni.png", "static_buttonii.png"}, 200);
        s.images.insert(s.images.end(), wide.begin(), wide.end());
        capture_column column;
        // The Run, I and II labels are 200 px wide: the boxes start after them.
        column.boxes = box_column(210, 90, ootake::button_count);
        // Ootake's codes name the first stick and buttons; hats are not captured here.
        column.hats = false;
        column.set_all = widget_place{"set all", 158, 330, 150, 40, "button_set_all.png"};
        s.columns.push_back(column);
        s.save = widget_place{"save settings", 312, 330, 150, 40, "button_save_settings.png"};
        s.players = ootake::player_count;
        return s;
    }();
    return shape;
}

}  // namespace

rx_pce_controls_input::rx_pce_controls_input()
    : console_screen("rx_pce_controls_input", "Turbo Graphics 16 Controls:", pce_shape()) {}

std::string rx_pce_controls_input::settings_path() {
    return settings_file_path(profile());
}

bool rx_pce_controls_input::load_controls() {
    bool no_blocks = false;
    const bool loaded = logged_load(*this, "load_controls", [&] {
        const std::string path = settings_path();
        if (path.empty()) {
            log_error("Failed to get path - TG-16");
            return false;
        }
        std::string bytes;
        switch (read_settings_file(path, bytes)) {
            case settings_file::read:
                break;
            case settings_file::missing:
                no_blocks = true;
                return false;
            default:
                // Opened, but not one byte came: the rows stay as they were.
                log_error("Failed to load controls - TG-16");
                return false;
        }
        std::vector<binding> records = codec_records(*this);
        if (!ootake::load(bytes, records)) {
            no_blocks = true;
            return false;
        }
        store_codec_records(*this, records);
        return true;
    });
    if (no_blocks) {
        // Without both joypad blocks the screen would open on stale rows and Save Settings could
        // write nothing: the load stops with a range error, which the opener logs, staying where
        // it is. The click that opened this screen must not open it again on the next event.
        program().clear_controls();
        throw std::out_of_range(ootake::missing_blocks_text);
    }
    return loaded;
}

void rx_pce_controls_input::save_settings() {
    run_logged(class_name(), "save_settings", [&] {
        const std::string path = settings_path();
        if (path.empty()) return;
        std::string bytes;
        switch (read_settings_file(path, bytes)) {
            case settings_file::missing:
                return;
            case settings_file::unreadable:
                // Saving over a file that could not be read would lose whatever it holds.
                log_error(read_failure_text(profile().settings_file));
                return;
            default:
                break;
        }
        std::vector<binding> records = codec_records(*this);
        std::vector<std::string> unsaved;
        for (const binding& b : records) {
            // A button past the 50 the codes hold keeps its code.
            if (b.captured && b.id.type == input::kind::button && !ootake::code_of(b.id))
                unsaved.push_back(unstorable_text(b.id));
        }
        const auto rewritten = ootake::save(bytes, records);
        // Without the marker and room for both blocks, writing would damage the file.
        if (!rewritten || !platform::replace_file(path, *rewritten).empty()) {
            log_error(write_failure_text(profile().settings_file));
            return;
        }
        for (const std::string& line : unsaved) log_error(line);
        const int player = selected_player();
        ootake::load(*rewritten, records);
        store_codec_records(*this, records);
        select_player(player);
    });
}

}  // namespace rx
