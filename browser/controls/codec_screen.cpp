// The data-only console screens: two pads of their profile's rows, one capture column each, read
// and written whole by a codec (Gens and ZSNES).
#include "browser/controls/codec_screen.h"

#include <array>
#include <cctype>
#include <deque>
#include <map>

#include "emulators/gens_settings.h"
#include "emulators/zsnes_settings.h"

namespace rx {

namespace {

// One capture column of the profile's rows at x 160, prompted "Press Up" and labelled with
// static_up.png and so on, with Set All and Save Settings side by side below it.
console_shape pad_shape(const emulator_profile& profile) {
    // The prompts' and labels' characters, kept for good: the shape points into them, and a deque
    // never moves what it holds when it grows (a vector would, and short strings move with it).
    static std::deque<std::string> texts;
    console_shape s;
    std::vector<const char*> labels;
    for (std::size_t r = 0; r < profile.row_count; ++r) {
        const std::string name(pad_control_name(profile.rows[r]));
        std::string label = "static_";
        for (char ch : name)
            label += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        texts.push_back("Press " + name);
        s.prompts.push_back(texts.back().c_str());
        texts.push_back(label + ".png");
        labels.push_back(texts.back().c_str());
    }
    const int rows = static_cast<int>(profile.row_count);
    const int buttons_y = 90 + 30 * rows;
    s.images = label_column(5, 90, labels);
    capture_column column;
    column.boxes = box_column(160, 90, rows);
    column.set_all = widget_place{"set all", 158, buttons_y, 150, 40, "button_set_all.png"};
    s.columns.push_back(column);
    s.save = widget_place{"save settings", 312, buttons_y, 150, 40, "button_save_settings.png"};
    s.players = profile.players;
    return s;
}

const std::array<codec_screen_kind, 2>& kinds() {
    static const std::array<codec_screen_kind, 2> table{{
        {"gens", gens::load, gens::save},
        {"zsnes", zsnes::load, zsnes::save},
    }};
    return table;
}

}  // namespace

const codec_screen_kind* find_codec_screen(std::string_view emulator) {
    for (const auto& kind : kinds())
        if (kind.emulator == emulator) return &kind;
    return nullptr;
}

const console_shape& codec_screen_shape(const emulator_profile& profile) {
    static std::map<std::string_view, console_shape> shapes;
    auto found = shapes.find(profile.name);
    if (found == shapes.end()) found = shapes.emplace(profile.name, pad_shape(profile)).first;
    return found->second;
}

codec_screen::codec_screen(const char* class_name, const char* title, const codec_screen_kind& kind)
    : console_screen(class_name, title, codec_screen_shape(*profile_named(kind.emulator))),
      kind_(kind),
      profile_(*profile_named(kind.emulator)) {}

bool codec_screen::load_controls() {
    return load_controls_with_codec(*this, profile_, kind_.load);
}

void codec_screen::save_settings() {
    save_settings_with_codec(*this, profile_, kind_.save);
}

}  // namespace rx
