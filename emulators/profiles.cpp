// Look-ups in the profile table and the keys rx_retro falls back on.
#include "emulators/profiles.h"

namespace rx {

const emulator_profile* profile_named(std::string_view name) {
    for (const emulator_profile& profile : emulator_profiles)
        if (profile.name == name) return &profile;
    return nullptr;
}

std::string settings_path(const emulator_profile& profile, char separator) {
    if (profile.store != settings_store::file) return {};
    std::string path;
    if (!profile.settings_folder.empty()) {
        path = std::string(profile.settings_folder);
        path += separator;
    }
    return path + std::string(profile.settings_file);
}

std::string_view pad_control_name(pad_control control) {
    switch (control) {
        case pad_control::up:
            return "Up";
        case pad_control::down:
            return "Down";
        case pad_control::left:
            return "Left";
        case pad_control::right:
            return "Right";
        case pad_control::select:
            return "Select";
        case pad_control::start:
            return "Start";
        case pad_control::a:
            return "A";
        case pad_control::b:
            return "B";
        case pad_control::c:
            return "C";
        case pad_control::x:
            return "X";
        case pad_control::y:
            return "Y";
        case pad_control::z:
            return "Z";
        case pad_control::l:
            return "L";
        case pad_control::r:
            return "R";
        case pad_control::button_1:
            return "Button 1";
        case pad_control::button_2:
            return "Button 2";
    }
    return {};
}

std::optional<int> default_key_code(pad_control control) {
    switch (control) {
        case pad_control::up:
            return 200;
        case pad_control::down:
            return 208;
        case pad_control::left:
            return 203;
        case pad_control::right:
            return 205;
        case pad_control::select:
            return 54;  // Right Shift
        case pad_control::start:
            return 28;  // Enter
        case pad_control::a:
            return 44;  // Z
        case pad_control::b:
            return 45;  // X
        case pad_control::x:
            return 30;  // A
        case pad_control::y:
            return 31;  // S
        case pad_control::l:
            return 16;  // Q
        case pad_control::r:
            return 17;  // W
        case pad_control::c:
        case pad_control::z:
        case pad_control::button_1:
        case pad_control::button_2:
            break;
    }
    return std::nullopt;
}

}  // namespace rx
