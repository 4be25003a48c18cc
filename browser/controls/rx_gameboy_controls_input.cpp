// The VisualBoyAdvance screens: the ten rows, reading vba.ini when opened and rewriting its ten
// binding lines on Save Settings.
#include "browser/controls/rx_gameboy_controls_input.h"

#include "browser/controls/codec_records.h"
#include "common/guard.h"
#include "emulators/binding_codec.h"
#include "emulators/input_names.h"
#include "emulators/settings_lines.h"
#include "emulators/vba_settings.h"
#include "platform/file.h"
#include "platform/path.h"

namespace rx {

namespace {

// Its emulator's profile: where the settings file is and what it is called.
const emulator_profile& profile() {
    return *profile_named("vba");
}

const console_shape& gameboy_shape() {
    static const console_shape shape = [] {
        console_shape s;
        std::vector<const char*> labels;
        for (const auto& r : vba::rows()) {
            s.prompts.push_back(r.prompt);
            labels.push_back(r.label);
        }
        s.images = label_column(5, 60, labels);
        s.images.push_back({"information", 0, 501, 800, 99, "gameboy_information.png"});
        capture_column column;
        column.boxes = box_column(160, 60, vba::row_count);
        column.set_all = widget_place{"set all", 158, 360, 150, 40, "button_set_all.png"};
        s.columns.push_back(column);
        s.save = widget_place{"save settings", 312, 360, 150, 40, "button_save_settings.png"};
        return s;
    }();
    return shape;
}

// The whole file, or nothing when there is no folder, no file or no byte in it.
std::optional<std::string> read_settings(const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::string bytes;
    if (read_settings_file(path, bytes) != settings_file::read) return std::nullopt;
    return bytes;
}

}  // namespace

rx_gameboy_controls_input::rx_gameboy_controls_input(const char* class_name, const char* title)
    : console_screen(class_name, title, gameboy_shape()) {}

std::string rx_gameboy_controls_input::settings_path() {
    return settings_file_path(profile());
}

bool rx_gameboy_controls_input::load_controls() {
    return logged_load(*this, "load_controls", [&] {
        const auto text = read_settings(settings_path());
        if (!text) return false;
        const vba::load_result result = vba::parse(*text);
        // Rows read before a missing line keep what was read, as the file gave them.
        for (int r = 0; r < vba::row_count; ++r) {
            const auto& value = result.values[static_cast<std::size_t>(r)];
            if (!value) continue;
            set_loaded(record(0, 0, r), *value, vba::input_of(*value));
        }
        if (!result.complete) log_error(missing_line_text);
        return result.complete;
    });
}

void rx_gameboy_controls_input::save_settings() {
    run_logged(class_name(), "save_settings", [&] {
        const std::string path = settings_path();
        if (path.empty()) return;
        std::string text;
        switch (read_settings_file(path, text)) {
            case settings_file::read:
                break;
            case settings_file::unreadable:
                // Saving over a file that could not be read would lose whatever it holds.
                log_error(read_failure_text(profile().settings_file));
                return;
            default:
                return;
        }
        std::array<std::string, vba::row_count> values;
        std::vector<std::string> unsaved;
        for (int r = 0; r < vba::row_count; ++r) {
            const binding& b = record(0, 0, r);
            values[static_cast<std::size_t>(r)] = vba::saved_value(b);
            if (b.captured && b.id.type != input::kind::key && !vba::value_of(b.id))
                unsaved.push_back(unstorable_text(b.id));
        }
        const auto rewritten = vba::rewrite(text, values);
        if (!rewritten) {
            log_error(missing_line_text);
            return;
        }
        const std::string failed = platform::replace_file(path, *rewritten);
        if (!failed.empty()) {
            log_error(write_failure_text(profile().settings_file));
            return;
        }
        for (const std::string& line : unsaved) log_error(line);
        // Only a written file changes what the rows hold as saved.
        for (int r = 0; r < vba::row_count; ++r) {
            record(0, 0, r).emu = values[static_cast<std::size_t>(r)];
        }
    });
}

}  // namespace rx
