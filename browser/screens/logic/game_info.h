// Game information data: the screenshot names of the information reply and the screenshot reply's
// body.
#pragma once
#include <array>
#include <string>
#include <string_view>

namespace rx::catalogue {

inline constexpr int screenshot_slots = 4;
using screenshot_names = std::array<std::string, screenshot_slots>;

// "||n1||n2||n3||n4||EOL" after the HTTP header. False (names untouched) without any "||"; a name
// that has no closing "||" runs to the end of the reply. The end marker "EOL" is no name: it and
// the names after it stay empty.
bool parse_info(std::string_view reply, screenshot_names& names);

// The game information screen shows titles of up to 35 characters whole.
inline std::string shorten_info_title(const std::string& title) {
    return title.size() > 35 ? title.substr(0, 33) + "..." : title;
}

std::string info_target(const std::string& game_id);
std::string screenshot_target(const std::string& name);

// The picture bytes after the header's "\r\n\r\n"; empty when the reply has no header end.
std::string_view screenshot_body(std::string_view reply);

}  // namespace rx::catalogue
