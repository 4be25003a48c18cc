// Launch argument parsing: single-character searches over the whole text, separators skipped as
// runs.
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

}  // namespace

bool parse_launch_argument(std::string_view text, launch_fields& fields) {
    std::size_t p = text.find('/');
    if (p == npos) return false;
    std::size_t b = text.find(':', p);
    if (b == npos) return false;
    fields.user_name = cut(text, p, '/', b);

    // The password runs to the end of the text when no "@" follows, which leaves host and game
    // empty.
    std::size_t d = text.find('@', b);
    fields.password = cut(text, b, ':', d == npos ? text.size() : d);
    if (d == npos) return false;

    std::size_t f = text.find('/', d);
    if (f == npos) return false;
    fields.host = cut(text, d, '@', f);

    fields.game_name = cut(text, f, '/', text.size());
    return true;
}

}  // namespace rx::lib
