// The settings screens by the console table's emulator names: one per emulator, or a data row of
// the codec screens.
#include "browser/controls/settings_screens.h"

#include "browser/controls/codec_screen.h"
#include "browser/controls/rx_atari2600_controls_input.h"
#include "browser/controls/rx_colecovision_controls_input.h"
#include "browser/controls/rx_gameboy_controls_input.h"
#include "browser/controls/rx_n64_controls_input.h"
#include "browser/controls/rx_nes_controls_input.h"
#include "browser/controls/rx_pce_controls_input.h"

namespace rx {

std::unique_ptr<console_screen> make_console_screen(const console_row& row) {
    // The table's names come from string literals, so their data() ends in a NUL.
    const char* class_name = row.screen_class.data();
    const char* title = row.screen_title.data();
    const std::string_view kind = row.emulator;
    if (const codec_screen_kind* codec = find_codec_screen(kind))
        return std::make_unique<codec_screen>(class_name, title, *codec);
    if (kind == "vba") return std::make_unique<rx_gameboy_controls_input>(class_name, title);
    if (kind == "meka")
        return std::make_unique<rx_colecovision_controls_input>(title,
                                                                row.information_image.data());
    if (kind == "z26") return std::make_unique<rx_atari2600_controls_input>();
    if (kind == "nester") return std::make_unique<rx_nes_controls_input>();
    if (kind == "ootake") return std::make_unique<rx_pce_controls_input>();
    if (kind == "1964") return std::make_unique<rx_n64_controls_input>();
    return nullptr;
}

}  // namespace rx
