// Moves a console screen's records to and from the display-free codecs' binding lists, and the
// settings path every console screen builds from the program folder.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "browser/controls/console_screen.h"
#include "emulators/binding_codec.h"
#include "emulators/profiles.h"

namespace rx {

// Calls `visit(index, player, column, row)` for every record in (player, column, row) order,
// `index` counting records in that order.
template <typename Visit>
void each_record(const console_screen& screen, Visit&& visit) {
    std::size_t index = 0;
    for (int p = 0; p < screen.players(); ++p)
        for (int c = 0; c < screen.columns(); ++c)
            for (int r = 0; r < screen.rows(); ++r) visit(index++, p, c, r);
}

// A screen's whole Load Controls around `body`: an exception from it is logged under
// `operation`, then the first player's rows are shown. Returns what `body` returned, false when
// it threw.
bool logged_load(console_screen& screen, const char* operation, const std::function<bool()>& body);

// Every record in (player, column, row) order, the order the codecs number them in.
std::vector<binding> codec_records(const console_screen& screen);
// Shown names, emulator names and captured flags back into the screen's records.
void store_codec_records(console_screen& screen, const std::vector<binding>& records);
// The emulator names a written file now holds.
void store_saved_names(console_screen& screen, const std::vector<std::string>& emu);

// The emulator's settings file in the program folder; "" when there is no program folder.
std::string settings_file_path(const emulator_profile& profile);

using codec_load = std::function<settings_load(std::string_view, std::vector<binding>&)>;
using codec_save = std::function<settings_save(std::string_view, const std::vector<binding>&)>;

// Reads the profile's settings file into the records through `load`, logging what the load
// reports; false when there is no folder, no file, no byte in it or the load stopped early.
bool load_with_codec(console_screen& screen, const emulator_profile& profile,
                     const codec_load& load);
// Rewrites the profile's settings file from the records through `save`, replacing the file
// atomically; a refusal or a failed write is logged and leaves the file as it was.
void save_with_codec(console_screen& screen, const emulator_profile& profile,
                     const codec_save& save);

// Load Controls and Save Settings of a screen whose file a codec handles whole, each guarded
// like every screen step ("load_controls", "save_settings").
bool load_controls_with_codec(console_screen& screen, const emulator_profile& profile,
                              const codec_load& load);
void save_settings_with_codec(console_screen& screen, const emulator_profile& profile,
                              const codec_save& save);

}  // namespace rx
