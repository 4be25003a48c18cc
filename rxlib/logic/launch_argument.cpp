// Launch argument parsing: the user name ends at the first colon after the scheme's slashes, the
// password at the "@" that introduces the host.
#include "rxlib/logic/launch_argument.h"

namespace rx::lib {
namespace {

constexpr auto npos = std::string_view::npos;

// The text between the first non-separator at or after `from` and `end`; empty when that run
// reaches `end`.
std::string cut(std::string_view text, std::size_t from, char separator, std::size_t end) {
    std::size_t start = text.find_first_not_of(separator, from);
    if (start == npos || start >= end) return {};
    return std::string(text.substr(start, end - start));
}

// The "@" before the host. The browser writes the password unescaped, so it may hold "@" itself;
// the host never does, and it is always followed by "/". So the last "@" that still has a "/"
// after it, which leaves a game id holding "@" alone; without such an "@", the last one.
std::size_t host_mark(std::string_view text, std::size_t from) {
    std::size_t last_slash = text.rfind('/');
    std::size_t mark = npos;
    if (last_slash != npos && last_slash > from) mark = text.rfind('@', last_slash);
    if (mark == npos || mark < from) mark = text.rfind('@');
    if (mark == npos || mark < from) return npos;
    return mark;
}

}  // namespace

bool parse_launch_argument(std::string_view text, launch_fields& fields) {
    std::size_t p = text.find('/');
    if (p == npos) return false;
    std::size_t b = text.find(':', p);
    if (b == npos) return false;
    fields.user_name = cut(text, p, '/', b);

    // The password starts right after the one colon that ends the user name: a password may begin
    // with ":" itself. It runs to the end of the text when no "@" follows, which leaves host and
    // game empty.
    std::size_t d = host_mark(text, b);
    std::size_t end = d == npos ? text.size() : d;
    fields.password = std::string(text.substr(b + 1, end - (b + 1)));
    if (d == npos) return false;

    std::size_t f = text.find('/', d);
    if (f == npos) return false;
    fields.host = std::string(text.substr(d + 1, f - (d + 1)));

    fields.game_name = cut(text, f, '/', text.size());
    return true;
}

}  // namespace rx::lib
