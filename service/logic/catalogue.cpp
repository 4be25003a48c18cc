// Readers of the sample catalogue and accounts, and the list filtering rules.
#include "service/logic/catalogue.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>

#include "emulators/consoles.h"
#include "platform/file.h"

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

template <typename T>
bool parse_number(std::string_view text, T& value) {
    if (text.empty()) return false;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size();
}

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Calls `line_fn(line)` for every meaningful line; stops and reports the line number on failure.
template <typename F>
bool for_each_line(std::string_view text, std::string* error, F line_fn) {
    std::size_t number = 0;
    for (std::string_view line : split(text, '\n')) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        if (!line_fn(line)) {
            if (error) *error = "malformed line " + std::to_string(number);
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::string> read_service_file(const std::string& path) {
    // Update files and game images are far bigger than any settings file the programs edit.
    constexpr std::size_t service_file_cap = std::size_t{1} << 30;
    std::string bytes;
    if (platform::read_whole_file(path, bytes, service_file_cap) != platform::read_status::ok)
        return std::nullopt;
    return bytes;
}

std::optional<std::vector<game_record>> parse_catalogue(std::string_view text, std::string* error) {
    std::vector<game_record> games;
    const bool ok = for_each_line(text, error, [&](std::string_view line) {
        const auto f = split(line, '\t');
        if (f.size() != 7) return false;
        game_record g;
        g.id = f[0];
        g.system = f[1];
        g.title = f[2];
        int sampler = 0;
        if (g.id.empty() || g.title.empty() || !is_system_code(g.system)) return false;
        if (!parse_number(f[3], g.image_size) || !parse_number(f[4], g.copies) || g.copies < 0)
            return false;
        if (!parse_number(f[5], sampler)) return false;
        g.sampler = sampler != 0;
        if (!f[6].empty())
            for (std::string_view shot : split(f[6], ',')) g.screenshots.emplace_back(shot);
        if (g.screenshots.size() > 4) return false;
        games.push_back(std::move(g));
        return true;
    });
    if (!ok) return std::nullopt;
    return games;
}

std::optional<std::vector<game_record>> read_catalogue_file(const std::string& path,
                                                            std::string* error) {
    const auto text = read_service_file(path);
    if (!text) {
        if (error) *error = "cannot read " + path;
        return std::nullopt;
    }
    return parse_catalogue(*text, error);
}

std::optional<std::vector<account_record>> parse_accounts(std::string_view text,
                                                          std::string* error) {
    std::vector<account_record> accounts;
    const bool ok = for_each_line(text, error, [&](std::string_view line) {
        const auto f = split(line, '\t');
        account_record a;
        if (f.size() != 3 || f[0].empty() || !parse_number(f[2], a.kind) || a.kind < 1)
            return false;
        a.name = f[0];
        a.password = f[1];
        accounts.push_back(std::move(a));
        return true;
    });
    if (!ok) return std::nullopt;
    return accounts;
}

const std::vector<std::string>& system_codes() {
    static const std::vector<std::string> codes = [] {
        std::vector<std::string> c;
        for (const auto& row : console_table) c.emplace_back(row.code);
        return c;
    }();
    return codes;
}

bool is_system_code(std::string_view code) {
    const auto& codes = system_codes();
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

bool system_after_nes(std::string_view code) {
    return is_system_code(code) && code != "2600" && code != "COL" && code != "NES";
}

bool title_matches(std::string_view title, std::string_view filter) {
    if (filter.empty() || filter == "^[0-z]") return true;
    if (filter.size() == 6 && filter.substr(0, 2) == "^[" && filter[3] == '-' && filter[5] == ']') {
        if (title.empty()) return false;
        const char first = lower(title.front());
        return first >= lower(filter[2]) && first <= lower(filter[4]);
    }
    auto equal_nocase = [](char x, char y) { return lower(x) == lower(y); };
    if (filter.front() == '^') {
        const std::string_view prefix = filter.substr(1);
        return title.size() >= prefix.size() &&
               std::equal(prefix.begin(), prefix.end(), title.begin(), equal_nocase);
    }
    return std::search(title.begin(), title.end(), filter.begin(), filter.end(), equal_nocase) !=
           title.end();
}

int availability(const game_record& game, int copies_in_play, bool free_account) {
    const int free_copies = game.copies - copies_in_play;
    if (free_copies <= 0) return 0;
    if (free_account && !game.sampler && system_after_nes(game.system)) return -1;
    return free_copies;
}

}  // namespace rx::service
