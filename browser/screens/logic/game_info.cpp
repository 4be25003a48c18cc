// Game information data: parsing the information reply and finding the picture in a screenshot
// reply.
#include "browser/screens/logic/game_info.h"

namespace rx::catalogue {

bool parse_info(std::string_view reply, screenshot_names& names) {
    const std::size_t first = reply.find("||");
    if (first == std::string_view::npos) return false;
    screenshot_names found;
    std::size_t p = first + 2;
    for (int i = 0; i < screenshot_slots; ++i) {
        if (p >= reply.size()) break;
        std::size_t q = reply.find("||", p);
        if (q == std::string_view::npos) q = reply.size();
        const std::string_view field = reply.substr(p, q - p);
        // A reply with fewer than four names ends early with the end marker, which names no
        // picture (a last field may carry the body's line end after it).
        if (field == "EOL" || (q == reply.size() && field.substr(0, 3) == "EOL")) break;
        found[i] = std::string(field);
        p = q + 2;
    }
    names = std::move(found);
    return true;
}

std::string info_target(const std::string& game_id) {
    return "/browser/browser_gameinfo.php?game=" + game_id;
}

std::string screenshot_target(const std::string& name) {
    return "/info_img/" + name;
}

std::string_view screenshot_body(std::string_view reply) {
    const std::size_t end = reply.find("\r\n\r\n");
    if (end == std::string_view::npos) return {};
    return reply.substr(end + 4);
}

}  // namespace rx::catalogue
