// The Nintendo 64 screen: eighteen rows in two columns, read from and written to 1964Input.ini.
#include "browser/controls/rx_n64_controls_input.h"

#include "browser/controls/codec_records.h"
#include "common/guard.h"
#include "emulators/binding_codec.h"
#include "platform/file.h"
#include "platform/input_guid.h"
#include "platform/path.h"

namespace rx {

namespace {

// Its emulator's profile: where the settings file is and what it is called.
const emulator_profile& profile() {
    return *profile_named("1964");
}

constexpr int left_rows = 10;

const console_shape& n64_shape() {
    static const console_shape shape = [] {
        console_shape s;
        s.prompts = {"Press Up",         "Press Down",        "Press Left",     "Press Right",
                     "Press Start",      "Press A",           "Press B",        "Press L",
                     "Press R",          "Press Z",           "Press D-Pad Up", "Press D-Pad Down",
                     "Press D-Pad Left", "Press D-Pad Right", "Press C-Pad Up", "Press C-Pad Down",
                     "Press C-Pad Left", "Press C-Pad Right"};
        // Two columns of a 100 px label and a 300 px box fill the 800 px window exactly, so the
        // labels start at 0 and 400 and the boxes at 100 and 500.
        s.images = label_column(0, 60,
                                {"static_up.png", "static_down.png", "static_left.png",
                                 "static_right.png", "static_start.png", "static_a.png",
                                 "static_b.png", "static_l.png", "static_r.png", "static_z.png"});
        auto right =
            label_column(400, 60,
                         {"static_dpad_up.png", "static_dpad_down.png", "static_dpad_left.png",
                          "static_dpad_right.png", "static_cpad_up.png", "static_cpad_down.png",
                          "static_cpad_left.png", "static_cpad_right.png"});
        s.images.insert(s.images.end(), right.begin(), right.end());
        capture_column column;
        column.boxes = box_column(100, 60, left_rows);
        auto right_boxes = box_column(500, 60, n64::control_count - left_rows);
        column.boxes.insert(column.boxes.end(), right_boxes.begin(), right_boxes.end());
        // The plug-in reads the second stick's axes too.
        column.extra_axes = true;
        column.set_all = widget_place{"set all", 158, 360, 150, 40, "button_set_all.png"};
        s.columns.push_back(column);
        s.save = widget_place{"save settings", 312, 360, 150, 40, "button_save_settings.png"};
        return s;
    }();
    return shape;
}

}  // namespace

rx_n64_controls_input::rx_n64_controls_input()
    : console_screen("rx_n64_controls_input", "Nintendo 64 Controls:", n64_shape()) {}

std::string rx_n64_controls_input::settings_path() {
    return settings_file_path(profile());
}

void rx_n64_controls_input::take(const n64::bindings& loaded) {
    for (int k = 0; k < n64::control_count; ++k)
        record(0, 0, k) = loaded[static_cast<std::size_t>(k)];
}

bool rx_n64_controls_input::load_controls() {
    return logged_load(*this, "load_controls", [&] {
        const std::string path = settings_path();
        std::string text;
        // A missing or empty file leaves the rows as they were.
        if (path.empty() || platform::read_whole_file(path, text) != platform::read_status::ok ||
            text.empty()) {
            return false;
        }
        take(n64::load(text));
        return true;
    });
}

void rx_n64_controls_input::save_settings() {
    run_logged(class_name(), "save_settings", [&] {
        const std::string path = settings_path();
        if (path.empty()) return;
        std::string text;
        const settings_file read = read_settings_file(path, text);
        if (read == settings_file::unreadable) {
            // Saving over a file that could not be read would lose whatever it holds.
            log_error(read_failure_text(profile().settings_file));
            return;
        }
        // Without the plug-in's file there is nothing to edit.
        if (read == settings_file::missing) return;
        n64::bindings now;
        for (int k = 0; k < n64::control_count; ++k)
            now[static_cast<std::size_t>(k)] = record(0, 0, k);
        const std::string rewritten = n64::save(text, now, platform::input_devices());
        if (!platform::replace_file(path, rewritten).empty()) {
            log_error(write_failure_text(profile().settings_file));
            return;
        }
        // The rows now show what the file holds.
        take(n64::load(rewritten));
        select_player(0);
    });
}

}  // namespace rx
