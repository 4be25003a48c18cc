// Manifest parsing and the checks that keep every write inside the program folder.
#include "updater/logic/manifest.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "updater/logic/release.h"

namespace rx::updater {

namespace {

constexpr std::string_view gz_suffix = ".gz";
constexpr int bar_width = 600;

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

// Characters a name may hold: nothing a URL, a shell or Windows reads as more than a letter.
bool name_character(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isalnum(u)) return true;
    switch (c) {
        case '.':
        case '_':
        case '-':
        case '+':
        case '~':
        case '(':
        case ')':
        case ',':
        case '@':
        case '!':
        case '=':
            return true;
        default:
            return false;
    }
}

std::vector<std::string_view> components(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        parts.push_back(
            path.substr(start, slash == std::string_view::npos ? slash : slash - start));
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    return parts;
}

// New files wait beside their targets as NAME.rx_new and old ones as NAME.rx_old (a number may
// follow); an entry with such a name could take the place of another entry's file mid-swap.
bool working_name(std::string_view part) {
    const std::string name = lowered(part);
    for (std::string_view suffix : {std::string_view(".rx_new"), std::string_view(".rx_old")}) {
        std::size_t at = name.rfind(suffix);
        if (at == std::string::npos) continue;
        const std::size_t rest = at + suffix.size();
        if (name.find_first_not_of("0123456789", rest) == std::string::npos) return true;
    }
    return false;
}

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The total as a number reader takes it: blanks around it (a line ended by "\r\n" included) and a
// plus sign are fine; anything else in the line, or more digits than a 32-bit count has, is not.
std::optional<std::uint64_t> total_number(std::string_view text) {
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

}  // namespace

bool reserved_device_name(std::string_view component) {
    // Windows ignores everything from the first dot (and trailing blanks) when it matches devices.
    const std::string stem = lowered(component.substr(0, component.find('.')));
    static const std::set<std::string> plain = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    if (plain.count(stem)) return true;
    if (stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0))
        return stem[3] >= '0' && stem[3] <= '9';
    return false;
}

std::string entry_problem(std::string_view entry) {
    if (entry.empty()) return "empty line";
    if (entry.front() != '/') return "does not start with /";
    if (entry.size() <= gz_suffix.size() + 1 ||
        entry.substr(entry.size() - gz_suffix.size()) != gz_suffix)
        return "does not name a .gz file";
    const std::string_view relative = entry.substr(1, entry.size() - 1 - gz_suffix.size());
    for (char c : relative)
        if (c != '/' && !name_character(c)) return "holds a character that is not allowed";
    const auto parts = components(relative);
    // Downloads wait in the update folder; an entry installed there could overwrite one of them.
    if (parts.size() > 1 && lowered(parts.front()) == "update")
        return "installs into the update folder";
    // The record of installed releases is the updater's own; an update that replaced it could
    // make an older release look new again.
    if (lowered(parts.front()) == release_record_name) return "names the installed-release record";
    for (std::string_view part : parts) {
        if (part.empty()) return "has an empty folder or name";
        if (part == "." || part == "..") return "leaves its folder";
        // Windows drops trailing dots, so "a." would install as "a".
        if (part.back() == '.') return "a name ends in a dot";
        if (reserved_device_name(part)) return "names a device";
        if (working_name(part)) return "uses a name kept for files being installed";
    }
    return "";
}

bool valid_location(std::string_view location) {
    if (location.empty() || location.size() > 32) return false;
    if (location == "." || location == "..") return false;
    for (char c : location) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '.' && c != '_' && c != '-') return false;
    }
    return true;
}

std::string installed_path(std::string_view entry) {
    if (entry.size() < 1 + gz_suffix.size()) return "";
    return std::string(entry.substr(1, entry.size() - 1 - gz_suffix.size()));
}

manifest_result parse_manifest(std::string_view reply, std::size_t max_entry_length) {
    manifest_result result;
    constexpr std::string_view marker = "filesize:";
    const std::size_t at = reply.find(marker);
    if (at == std::string_view::npos) {
        result.reason = "no filesize:";
        return result;
    }
    const std::size_t a = at + marker.size();
    const std::size_t b = reply.find('\n', a);
    if (b == std::string_view::npos) {
        result.reason = "no line feed after the total";
        return result;
    }
    const auto total = total_number(reply.substr(a, b - a));
    if (!total || *total > max_total) {
        result.reason = "the total is not a number the counter can show";
        return result;
    }

    manifest parsed;
    parsed.total = *total;
    for (std::size_t p = b + 1;;) {
        const std::size_t q = reply.find('\n', p);
        if (q == std::string_view::npos) break;
        parsed.entries.emplace_back(reply.substr(p, q - p));
        p = q + 1;
    }
    if (parsed.entries.empty()) {
        result.reason = "no files listed";
        return result;
    }

    std::set<std::string> files;
    std::set<std::string> folders;
    for (std::size_t i = 0; i < parsed.entries.size(); ++i) {
        const std::string& entry = parsed.entries[i];
        const std::string where = "entry " + std::to_string(i + 1) + ": ";
        if (std::string problem = entry_problem(entry); !problem.empty()) {
            result.reason = where + problem;
            return result;
        }
        if (entry.size() > max_entry_length) {
            result.reason = where + "too long for a request";
            return result;
        }
        const std::string path = lowered(installed_path(entry));
        if (!files.insert(path).second) {
            result.reason = where + "installs to the same file as an earlier entry";
            return result;
        }
        for (std::size_t slash = path.find('/'); slash != std::string::npos;
             slash = path.find('/', slash + 1))
            folders.insert(path.substr(0, slash));
    }
    for (const std::string& path : files) {
        if (folders.count(path)) {
            result.reason = "a file installs where another entry needs a folder: " + path;
            return result;
        }
    }
    result.value = std::move(parsed);
    return result;
}

std::uint64_t download_limit(std::uint64_t total, std::uint64_t margin) {
    return 4 * std::min(total, max_total) + margin;
}

std::string counter_text(std::int64_t done, std::int64_t total) {
    return std::to_string(done) + " / " + std::to_string(total);
}

int bar_view_x(std::int64_t done, std::int64_t total) {
    if (total <= 0) return 0;
    if (done <= 0) return bar_width;
    if (done >= total) return 0;
    const double shown =
        static_cast<double>(bar_width) / static_cast<double>(total) * static_cast<double>(done);
    return bar_width - static_cast<int>(shown);
}

}  // namespace rx::updater
