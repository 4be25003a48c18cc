// The copy between a console screen's records and a codec's binding list.
#include "browser/controls/codec_records.h"

#include "common/guard.h"
#include "platform/path.h"

namespace rx {

bool logged_load(console_screen& screen, const char* operation, const std::function<bool()>& body) {
    bool loaded = false;
    run_logged(screen.class_name(), operation, [&] { loaded = body(); });
    screen.select_player(0);
    return loaded;
}

std::vector<binding> codec_records(const console_screen& screen) {
    std::vector<binding> records;
    each_record(screen, [&](std::size_t, int p, int c, int r) {
        records.push_back(screen.record(p, c, r));
    });
    return records;
}

void store_codec_records(console_screen& screen, const std::vector<binding>& records) {
    each_record(screen, [&](std::size_t i, int p, int c, int r) {
        if (i < records.size()) screen.record(p, c, r) = records[i];
    });
}

void store_saved_names(console_screen& screen, const std::vector<std::string>& emu) {
    each_record(screen, [&](std::size_t i, int p, int c, int r) {
        if (i < emu.size()) screen.record(p, c, r).emu = emu[i];
    });
}

std::string settings_file_path(const emulator_profile& profile) {
    auto dir = get_directory();
    if (!dir) return {};
    std::string path = *dir;
    if (!profile.settings_folder.empty())
        path = platform::join_path(path, std::string(profile.settings_folder));
    return platform::join_path(path, std::string(profile.settings_file));
}

bool load_with_codec(console_screen& screen, const emulator_profile& profile,
                     const codec_load& load) {
    const std::string path = settings_file_path(profile);
    std::string bytes;
    if (path.empty() || read_settings_file(path, bytes) != settings_file::read) return false;
    auto records = codec_records(screen);
    const settings_load result = load(bytes, records);
    store_codec_records(screen, records);
    if (!result.error.empty()) log_error(result.error);
    return result.ok;
}

void save_with_codec(console_screen& screen, const emulator_profile& profile,
                     const codec_save& save) {
    const std::string path = settings_file_path(profile);
    if (path.empty()) return;
    const auto records = codec_records(screen);
    std::vector<std::string> emu;
    const file_save_outcome outcome = save_settings_file(
        path, profile.settings_file, [&](std::string_view bytes) { return save(bytes, records); },
        emu);
    if (!outcome.log.empty()) log_error(outcome.log);
    for (const std::string& line : outcome.unsaved) log_error(line);
    if (outcome.written) store_saved_names(screen, emu);
}

bool load_controls_with_codec(console_screen& screen, const emulator_profile& profile,
                              const codec_load& load) {
    return logged_load(screen, "load_controls",
                       [&] { return load_with_codec(screen, profile, load); });
}

void save_settings_with_codec(console_screen& screen, const emulator_profile& profile,
                              const codec_save& save) {
    run_logged(screen.class_name(), "save_settings",
               [&] { save_with_codec(screen, profile, save); });
}

}  // namespace rx
