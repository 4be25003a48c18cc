// Reader of the games folder's catalogue: every refusal names the catalogue file and the line.
#include "service/logic/games_folder.h"

#include <charconv>
#include <set>

namespace rx::service {
namespace {

std::vector<std::string_view> split(std::string_view text, char sep) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(sep, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return parts;
}

bool parse_int(std::string_view text, int& value) {
    if (text.empty()) return false;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size();
}

// A '|' would split the list row the title or name is sent in; control bytes end or garble it.
bool row_safe(std::string_view text) {
    for (unsigned char c : text)
        if (c == '|' || c < 0x20 || c == 0x7f) return false;
    return true;
}

// File names stay inside the folder: no absolute paths, no "..", no back slashes.
bool plain_name(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.find('\\') != std::string_view::npos)
        return false;
    for (std::string_view part : split(name, '/'))
        if (part.empty() || part == "." || part == "..") return false;
    return true;
}

}  // namespace

std::optional<std::vector<game_record>> parse_games_catalogue(
    std::string_view text, const std::string& catalogue_name, const file_probe& probe,
    const std::vector<std::string>& taken_ids, std::vector<std::string>& errors) {
    std::vector<game_record> games;
    std::set<std::string> ids(taken_ids.begin(), taken_ids.end());
    std::set<std::string> shots;
    const std::size_t errors_before = errors.size();
    std::size_t number = 0;
    for (std::string_view line : split(text, '\n')) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        auto refuse = [&](const std::string& why) {
            errors.push_back(catalogue_name + ":" + std::to_string(number) + ": " + why);
        };
        const auto f = split(line, '\t');
        if (f.size() != 7) {
            refuse("expected 7 fields separated by tabs, found " + std::to_string(f.size()));
            continue;
        }
        game_record g;
        g.id = f[0];
        g.system = f[1];
        g.title = f[2];
        g.file = f[3];
        int sampler = 0;
        if (g.id.empty() || g.title.empty()) {
            refuse("the id and the title must not be empty");
            continue;
        }
        if (g.id.find_first_of(" \t|") != std::string::npos) {
            refuse("the id '" + g.id + "' holds a space or '|'");
            continue;
        }
        if (g.id.size() > max_game_id) {
            refuse("the id has " + std::to_string(g.id.size()) + " characters, more than the " +
                   std::to_string(max_game_id) + " a save name can hold with '.sav'");
            continue;
        }
        if (!row_safe(g.title)) {
            refuse("the title holds '|' or a control character");
            continue;
        }
        if (!is_system_code(g.system)) {
            refuse("unknown system code '" + g.system + "'");
            continue;
        }
        if (!parse_int(f[4], g.copies) || g.copies < 0) {
            refuse("copies must be a number of 0 or more, not '" + std::string(f[4]) + "'");
            continue;
        }
        if (!parse_int(f[5], sampler) || (sampler != 0 && sampler != 1)) {
            refuse("free sampler must be 0 or 1, not '" + std::string(f[5]) + "'");
            continue;
        }
        g.sampler = sampler == 1;
        if (!ids.insert(g.id).second) {
            refuse("duplicate game id '" + g.id + "'");
            continue;
        }
        if (!plain_name(g.file)) {
            refuse("game file '" + g.file + "' is not a name inside the games folder");
            continue;
        }
        const auto size = probe(g.file);
        if (!size) {
            refuse("cannot read game file '" + g.file + "'");
            continue;
        }
        if (*size == 0) {
            refuse("game file '" + g.file + "' is empty");
            continue;
        }
        if (*size > largest_game_image) {
            refuse("game file '" + g.file + "' has " + std::to_string(*size) +
                   " bytes, more than the " + std::to_string(largest_game_image) +
                   " a client can take");
            continue;
        }
        g.image_size = *size;
        bool shots_ok = true;
        if (!f[6].empty()) {
            for (std::string_view shot : split(f[6], ',')) {
                const std::string name(shot);
                if (!row_safe(name)) {
                    refuse("a screenshot name holds '|' or a control character");
                    shots_ok = false;
                    break;
                }
                if (!plain_name(name) || name.find('/') != std::string::npos) {
                    refuse("screenshot '" + name + "' is not a file name in the games folder");
                    shots_ok = false;
                    break;
                }
                if (!probe(name)) {
                    refuse("cannot read screenshot '" + name + "'");
                    shots_ok = false;
                    break;
                }
                g.screenshots.push_back(name);
            }
        }
        if (!shots_ok) continue;
        if (g.screenshots.size() > 4) {
            refuse("at most 4 screenshots, found " + std::to_string(g.screenshots.size()));
            continue;
        }
        games.push_back(std::move(g));
    }
    if (errors.size() != errors_before) return std::nullopt;
    return games;
}

}  // namespace rx::service
