// Game list data: parsing the catalogue's list reply, request targets and the list's geometry.
#include "browser/screens/logic/game_list.h"

#include <algorithm>
#include <cstdlib>

namespace rx::catalogue {

game_row placeholder_row() {
    return game_row{"Search Returned No Game.", "None", "none.non", 0};
}

namespace {

constexpr std::string_view separator = "||";
constexpr std::string_view end_marker = "||EOL";
constexpr auto npos = std::string_view::npos;

int read_int(std::string_view field) {
    // atoi reads a leading number and ignores the rest; the field is not NUL-terminated here.
    return std::atoi(std::string(field).c_str());
}

}  // namespace

bool parse_list(std::string_view reply, std::vector<game_row>& rows) {
    std::size_t found = 0;
    std::size_t pos = 0;
    // A record is only taken whole: a reply cut short mid-record keeps the records before it.
    while (true) {
        const std::size_t title_start = reply.find(separator, pos);
        if (title_start == npos) break;
        const std::size_t a = title_start + separator.size();
        const std::size_t title_end = reply.find(separator, a);
        if (title_end == npos) break;
        const std::size_t code_start = title_end + separator.size();
        const std::size_t code_end = reply.find(separator, code_start);
        if (code_end == npos) break;
        const std::size_t id_start = code_end + separator.size();
        const std::size_t id_end = reply.find(separator, id_start);
        if (id_end == npos) break;
        const std::size_t avail_start = id_end + separator.size();
        const std::size_t avail_end = reply.find(separator, avail_start);
        if (avail_end == npos) break;
        const std::size_t record_end = reply.find(end_marker, avail_end);
        if (record_end == npos) break;
        game_row row;
        row.title = std::string(reply.substr(a, title_end - a));
        row.system_code = std::string(reply.substr(code_start, code_end - code_start));
        row.game_id = std::string(reply.substr(id_start, id_end - id_start));
        row.availability = read_int(reply.substr(avail_start, avail_end - avail_start));
        rows.push_back(std::move(row));
        ++found;
        pos = record_end + end_marker.size();
        if (reply.find(end_marker, pos) == npos) break;
    }
    return found > 0;
}

bool shows_system_codes(int system_number) {
    return system_number == all_systems || system_number == free_sampler;
}

std::string list_target(int account_kind, int system_number, const std::string& system_code,
                        const std::string& name_filter) {
    // Restricted accounts (kind 1) are always served the free selection.
    const std::string status = account_kind == 1 ? "Free" : "Full";
    if (system_number == free_sampler)
        return "/browser/freegamelist.php?status=" + status + "&end=1";
    return "/browser/gamelist.php?status=" + status + "&search=1&system=" + system_code +
           "&criteria=" + name_filter + "&end=1";
}

std::string shorten_title(const std::string& title, std::size_t limit, std::size_t keep) {
    if (title.size() <= limit) return title;
    return title.substr(0, keep) + "...";
}

int scroll_up(int offset, int step) {
    return std::max(0, offset - step);
}

int scroll_down(int offset, int step, std::size_t row_count) {
    const long long height = static_cast<long long>(row_count) * row_height;
    if (height <= view_height) return offset;
    return static_cast<int>(std::min<long long>(offset + step, height - view_height));
}

row_hit hit_row(int x, int y, int offset, const std::vector<game_row>& rows) {
    row_hit hit;
    if (!(x > list_x && x < list_x + view_width && y > list_y && y < list_y + view_height))
        return hit;
    const std::size_t row = static_cast<std::size_t>((y - list_y + offset) / row_height);
    if (row >= rows.size()) return hit;
    hit.on_row = true;
    hit.row = row;
    if (x < list_x + 100) {
        hit.action = row_action::play;
    } else if (rows[row].system_code != "None") {
        hit.action = row_action::information;
    }
    return hit;
}

std::vector<text_line> refusal_lines(int availability) {
    if (availability == 0)
        return {{50, 280, "This game is currently unavailable. All copies are in play."}};
    if (availability == -1) {
        return {{5, 5, "This game is currently only available to full accounts."},
                {5, 25, "All copies for free users may currently be in play,"},
                {5, 45, "Or this system was released after the NES."},
                {5, 65, "Please consider upgrading your account to get full access."}};
    }
    return {};
}

}  // namespace rx::catalogue
