// Console screens that differ only in data: a shape, a settings file and the codec that reads and
// writes it whole. Each such emulator is one row of the table in codec_screen.cpp.
#pragma once
#include <string_view>

#include "browser/controls/codec_records.h"
#include "browser/controls/console_screen.h"

namespace rx {

struct codec_screen_kind {
    std::string_view settings_screen;  // the console table's settings screen ("gens")
    const char* file_name;             // in the program folder ("gens.cfg")
    const console_shape& (*shape)();
    codec_load load;
    codec_save save;
};

// Null for a settings screen that needs code of its own.
const codec_screen_kind* find_codec_screen(std::string_view settings_screen);

class codec_screen : public console_screen {
  public:
    codec_screen(const char* class_name, const char* title, const codec_screen_kind& kind);

    bool load_controls() override;
    void save_settings() override;

  private:
    const codec_screen_kind& kind_;
};

}  // namespace rx
