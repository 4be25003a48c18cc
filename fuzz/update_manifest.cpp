// Fuzz target: the update manifest, refused whole unless every entry may be installed.
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "updater/logic/manifest.h"

namespace {

bool inside_folder(std::string_view path) {
    if (path.empty() || path.front() == '/' || path.find('\\') != std::string_view::npos ||
        path.find(':') != std::string_view::npos)
        return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        const std::string_view segment = path.substr(start, slash - start);
        if (segment.empty() || segment == "." || segment == "..") return false;
        if (slash == std::string_view::npos) return true;
        start = slash + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace up = rx::updater;
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const up::manifest_result result = up::parse_manifest(reply, 200);
    if (!result.value) {
        rx::fuzz::check(!result.reason.empty(), "a refusal says why");
        return 0;
    }
    const up::manifest& m = *result.value;
    rx::fuzz::check(!m.entries.empty() && m.total <= up::max_total, "a total and some entries");
    std::set<std::string> installed;
    for (const std::string& entry : m.entries) {
        rx::fuzz::check(up::entry_problem(entry).empty(), "every entry may be installed");
        const std::string path = up::installed_path(entry);
        // Nothing installs outside the program folder.
        rx::fuzz::check(inside_folder(path), "an entry installs inside the program folder");
        rx::fuzz::check(installed.insert(path).second, "no two entries on one file");
    }
    up::counter_text(static_cast<std::int64_t>(m.total) / 2, static_cast<std::int64_t>(m.total));
    const int x =
        up::bar_view_x(static_cast<std::int64_t>(m.total) / 3, static_cast<std::int64_t>(m.total));
    rx::fuzz::check(x >= 0 && x <= 600, "the bar's view stays on the image");
    return 0;
}
