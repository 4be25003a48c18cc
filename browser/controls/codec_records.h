// Moves a console screen's records to and from the display-free codecs' binding lists, and the
// settings path every console screen builds from the program folder.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/controls/console_screen.h"
#include "browser/controls/logic/binding_codec.h"

namespace rx {

// Every record in (player, column, row) order, the order the codecs number them in.
std::vector<settings_binding> codec_records(const console_screen& screen);
// Shown names, emulator names and captured flags back into the screen's records.
void store_codec_records(console_screen& screen, const std::vector<settings_binding>& records);
// The emulator names a written file now holds.
void store_saved_names(console_screen& screen, const std::vector<std::string>& emu);

// `file_name` in the program folder; "" when there is no program folder.
std::string program_file(const char* file_name);

using codec_load = std::function<settings_load(std::string_view, std::vector<settings_binding>&)>;
using codec_save =
    std::function<settings_save(std::string_view, const std::vector<settings_binding>&)>;

// Reads `file_name` from the program folder into the records through `load`, logging what the
// load reports; false when there is no folder, no file, no byte in it or the load stopped early.
bool load_with_codec(console_screen& screen, const char* file_name, const codec_load& load);
// Rewrites `file_name` from the records through `save`, replacing the file atomically; a refusal
// or a failed write is logged and leaves the file as it was.
void save_with_codec(console_screen& screen, const char* file_name, const codec_save& save);

}  // namespace rx
