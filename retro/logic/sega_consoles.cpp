// The consoles behind MEKA's scheme, by the image's header and the game id.
#include "retro/logic/sega_consoles.h"

#include <array>
#include <cstddef>

#include "emulators/consoles.h"

namespace rx::retro {

namespace {

constexpr std::string_view sega_mark = "TMR SEGA";
constexpr std::array<std::size_t, 3> header_places = {0x7FF0, 0x3FF0, 0x1FF0};
constexpr std::size_t header_size = 16;

std::string_view extension_of(std::string_view game_id) {
    const std::size_t dot = game_id.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : game_id.substr(dot + 1);
}

bool same_letters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        if (x != b[i]) return false;
    }
    return true;
}

}  // namespace

meka_console meka_console_of(std::string_view image, std::string_view game_id) {
    for (std::size_t at : header_places) {
        if (image.size() < at + header_size || image.substr(at, sega_mark.size()) != sega_mark)
            continue;
        const unsigned region = static_cast<unsigned char>(image[at + header_size - 1]) >> 4;
        if (region >= 5 && region <= 7) return meka_console::game_gear;
        if (region == 3 || region == 4) return meka_console::master_system;
        break;  // a header with another region code says nothing: the id decides
    }
    if (image.size() >= 2) {
        const auto first = static_cast<unsigned char>(image[0]);
        const auto second = static_cast<unsigned char>(image[1]);
        if ((first == 0xAA && second == 0x55) || (first == 0x55 && second == 0xAA))
            return meka_console::colecovision;
    }
    const std::string_view extension = extension_of(game_id);
    if (same_letters(extension, "gg")) return meka_console::game_gear;
    if (is_colecovision_id(game_id)) return meka_console::colecovision;
    return meka_console::master_system;
}

bool is_colecovision_id(std::string_view game_id) {
    return same_letters(extension_of(game_id), "col");
}

std::string_view game_id_of_launch(std::string_view launch_argument) {
    const std::size_t slash = launch_argument.rfind('/');
    return slash == std::string_view::npos ? launch_argument : launch_argument.substr(slash + 1);
}

std::optional<console_entry> console_of_game(std::string_view launch_argument,
                                             std::string_view image) {
    std::optional<console_entry> entry = console_of_launch(launch_argument);
    if (!entry || entry->emulator->name != "meka") return entry;
    switch (meka_console_of(image, game_id_of_launch(launch_argument))) {
        case meka_console::master_system:
            entry->console_name = console_by_code("SMS")->display_name;
            return entry;
        case meka_console::game_gear:
            entry->console_name = console_by_code("SGG")->display_name;
            return entry;
        case meka_console::colecovision:
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace rx::retro
