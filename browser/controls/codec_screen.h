// Console screens that differ only in data: their emulator's profile (rows, players, settings file)
// and the codec that reads and writes the file whole. Each is one row of the table in
// codec_screen.cpp.
#pragma once
#include <string_view>

#include "browser/controls/codec_records.h"
#include "browser/controls/console_screen.h"

namespace rx {

struct codec_screen_kind {
    std::string_view emulator;  // its profile's name ("gens")
    codec_load load;
    codec_save save;
};

// Null for an emulator whose screen needs code of its own.
const codec_screen_kind* find_codec_screen(std::string_view emulator);

// The screen's rows, labels and buttons as the profile's rows lay them out.
const console_shape& codec_screen_shape(const emulator_profile& profile);

class codec_screen : public console_screen {
  public:
    codec_screen(const char* class_name, const char* title, const codec_screen_kind& kind);

    bool load_controls() override;
    void save_settings() override;

  private:
    const codec_screen_kind& kind_;
    const emulator_profile& profile_;
};

}  // namespace rx
