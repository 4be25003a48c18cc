// The MEKA screens: a keyboard and a joystick column of seven rows per player, each column with
// its own Set All, read from meka.inp by sections and written back by line position.
#include "browser/controls/rx_colecovision_controls_input.h"

#include <stdexcept>

#include "browser/base/program.h"
#include "browser/controls/codec_records.h"
#include "common/guard.h"
#include "emulators/meka_settings.h"

namespace rx {

namespace {

// Its emulator's profile: where the settings file is and what it is called.
const emulator_profile& profile() {
    return *profile_named("meka");
}

console_shape meka_shape(const char* information_image) {
    console_shape s;
    s.prompts = {"Press Up",       "Press Down",     "Press Left", "Press Right",
                 "Press Button 1", "Press Button 2", "Press Start"};
    s.images = label_column(
        5, 120, {"static_up.png", "static_down.png", "static_left.png", "static_right.png"});
    // The three button labels are wider; they still end before the keyboard boxes at x 160.
    for (const auto& wide : label_column(
             5, 240, {"static_button1.png", "static_button2.png", "static_start_pause.png"}, 150))
        s.images.push_back(wide);
    s.images.push_back({"keyboard", 160, 90, 100, 20, "static_keyboard.png"});
    s.images.push_back({"joystick", 470, 90, 100, 20, "static_joystick.png"});
    s.images.push_back({"information", 0, 451, 800, 149, information_image});
    capture_column keyboard;
    keyboard.boxes = box_column(160, 120, meka::control_count);
    keyboard.joystick = false;
    keyboard.set_all = widget_place{"keyboard set all", 235, 330, 150, 40, "button_set_all.png"};
    capture_column joystick;
    joystick.boxes = box_column(470, 120, meka::control_count);
    joystick.keyboard = false;
    joystick.set_all = widget_place{"joystick set all", 545, 330, 150, 40, "button_set_all.png"};
    s.columns = {keyboard, joystick};
    s.save = widget_place{"save settings", 390, 380, 150, 40, "button_save_settings.png"};
    s.players = 2;
    return s;
}

}  // namespace

rx_colecovision_controls_input::rx_colecovision_controls_input(const char* title,
                                                               const char* information_image)
    : console_screen("rx_colecovision_controls_input", title, meka_shape(information_image)) {}

bool rx_colecovision_controls_input::load_controls() {
    bool loaded = false;
    bool no_section = false;
    run_logged(class_name(), "load_controls", [&] {
        const std::string path = settings_file_path(profile());
        if (path.empty()) {
            log_error("Failed to get path - conlecovision");
            return;
        }
        std::string bytes;
        auto records = codec_records(*this);
        switch (read_settings_file(path, bytes)) {
            case settings_file::missing:
                // MEKA starts without bindings when it has no meka.inp; so do the boxes.
                meka::load_missing_file(records);
                store_codec_records(*this, records);
                loaded = true;
                return;
            case settings_file::read:
                break;
            default:
                log_error(meka::empty_file_text);
                return;
        }
        const meka::load_outcome outcome = meka::load(bytes, records);
        if (outcome.status == meka::load_status::no_section) {
            no_section = true;
            return;
        }
        if (!outcome.error.empty()) log_error(outcome.error);
        store_codec_records(*this, records);
        loaded = outcome.status == meka::load_status::loaded;
    });
    if (no_section) {
        // The click that opened this screen must not open it again on the next event.
        program().clear_controls();
        throw std::out_of_range(meka::missing_section_text);
    }
    select_player(0);
    return loaded;
}

void rx_colecovision_controls_input::save_settings() {
    save_settings_with_codec(*this, profile(), meka::save);
}

}  // namespace rx
