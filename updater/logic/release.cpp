// Release numbers, dates and the installed-release record.
#include "updater/logic/release.h"

#include <chrono>
#include <cstdio>

namespace rx::updater {

namespace {

// Calls `each` with every line of the record, without its line feed.
template <typename Each>
void for_each_line(std::string_view record, Each each) {
    std::size_t at = 0;
    while (at < record.size()) {
        std::size_t end = record.find('\n', at);
        if (end == std::string_view::npos) end = record.size();
        each(record.substr(at, end - at));
        at = end + 1;
    }
}

// Days since 1970-01-01 of a proleptic Gregorian date (valid for every year this code meets).
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool leap(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

std::optional<unsigned> digits(std::string_view text) {
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

}  // namespace

std::optional<std::uint64_t> parse_release(std::string_view text) {
    if (text.empty() || text.size() > max_release_digits || text[0] == '0') return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

std::optional<std::int64_t> parse_date(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const auto y = digits(text.substr(0, 4));
    const auto m = digits(text.substr(5, 2));
    const auto d = digits(text.substr(8, 2));
    if (!y || !m || !d || *y < 1970 || *m < 1 || *m > 12 || *d < 1) return std::nullopt;
    static const unsigned month_days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const unsigned last = month_days[*m - 1] + (*m == 2 && leap(*y) ? 1 : 0);
    if (*d > last) return std::nullopt;
    return days_from_civil(*y, *m, *d);
}

std::string format_date(std::int64_t days) {
    // The inverse of days_from_civil.
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
    char text[48];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u", static_cast<long long>(y), m, d);
    return text;
}

std::int64_t today() {
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::hours>(since).count() / 24;
}

std::uint64_t recorded_release(std::string_view record, std::string_view location) {
    std::uint64_t found = 0;
    for_each_line(record, [&](std::string_view line) {
        const std::size_t blank = line.find(' ');
        if (blank == std::string_view::npos || line.substr(0, blank) != location) return;
        if (const auto release = parse_release(line.substr(blank + 1)); release && *release > found)
            found = *release;
    });
    return found;
}

std::string with_release(std::string_view record, std::string_view location,
                         std::uint64_t release) {
    std::string out;
    for_each_line(record, [&](std::string_view line) {
        const std::size_t blank = line.find(' ');
        if (line.empty() || (blank != std::string_view::npos && line.substr(0, blank) == location))
            return;
        out.append(line);
        out += '\n';
    });
    out.append(location);
    out += ' ';
    out += std::to_string(release);
    out += '\n';
    return out;
}

namespace {

// '@' is in no location, so this line never reads as a release.
constexpr std::string_view key_tag = "@key ";

}  // namespace

std::string trusted_key_hex(std::string_view record) {
    std::string found;
    for_each_line(record, [&](std::string_view line) {
        if (line.size() == key_tag.size() + 64 && line.compare(0, key_tag.size(), key_tag) == 0)
            found = std::string(line.substr(key_tag.size()));
    });
    return found;
}

std::string with_trusted_key(std::string_view record, std::string_view key_hex) {
    std::string out;
    for_each_line(record, [&](std::string_view line) {
        if (line.empty() || line.compare(0, key_tag.size(), key_tag) == 0) return;
        out.append(line);
        out += '\n';
    });
    out.append(key_tag);
    out.append(key_hex);
    out += '\n';
    return out;
}

std::optional<std::uint64_t> offered_release(std::string_view signature_reply) {
    constexpr std::string_view tag = "\nrelease ";
    std::size_t at = signature_reply.find("\nlocation ");
    if (signature_reply.compare(0, 9, "location ") == 0) at = 0;
    if (at == std::string_view::npos) return std::nullopt;
    const std::size_t line = signature_reply.find('\n', at + 1);
    if (line == std::string_view::npos || signature_reply.compare(line, tag.size(), tag) != 0)
        return std::nullopt;
    const std::size_t start = line + tag.size();
    const std::size_t end = signature_reply.find('\n', start);
    if (end == std::string_view::npos) return std::nullopt;
    return parse_release(signature_reply.substr(start, end - start));
}

}  // namespace rx::updater
