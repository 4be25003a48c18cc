// The settings files rx_retro ships in the program folder, as an emulator ships its own: the
// controls screens only rewrite a file that is there, and these hold the keys rx_retro plays when a
// file is missing.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace rx::retro {

struct shipped_file {
    std::string_view name;  // in the program folder
    std::string bytes;
};

// The first pad on the default keys, the second (where the file has one) on none. Each file is
// written through its controls screen's own codec, so the screens open on it and save into it.
std::string shipped_vba_ini();
std::string shipped_zinput_cfg();
std::string shipped_ootake_dat();
std::string shipped_gens_cfg();
std::string shipped_meka_inp();
std::vector<shipped_file> shipped_settings();

// Lays each file into `folder` (ending in a separator) unless a file of that name is already there:
// a user's saved keys are never overwritten. Returns the lines to report, one per file that could
// not be written.
std::vector<std::string> ship_settings(const std::string& folder);

}  // namespace rx::retro
