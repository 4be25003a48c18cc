// Fuzz target: rx_service's reading of a request head, its query and the names it stores files
// under.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "service/logic/http.h"

namespace {

// What keeps a served file inside its folder, checked segment by segment.
bool stays_inside(std::string_view path) {
    if (path.empty() || path.front() == '/') return false;
    std::size_t start = 0;
    for (;;) {
        std::size_t slash = path.find('/', start);
        std::string_view segment = path.substr(start, slash - start);
        if (segment.empty() || segment == "." || segment == "..") return false;
        if (segment.find('\\') != std::string_view::npos) return false;
        if (slash == std::string_view::npos) return true;
        start = slash + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rx::service;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t end = request_end(bytes);
    rx::fuzz::check(end == std::string_view::npos || end <= size, "the head lies in the bytes");
    std::string error;
    const std::string_view head = end == std::string_view::npos ? bytes : bytes.substr(0, end);
    if (auto request = parse_request(head, &error)) {
        rx::fuzz::check(request->method == "GET", "only GET is taken");
        for (const auto& [name, value] : request->params) {
            request->param(name);
            percent_decode(value);
        }
        const std::string decoded = percent_decode(request->path);
        if (decoded.size() > 1 && safe_relative_path(std::string_view(decoded).substr(1))) {
            rx::fuzz::check(stays_inside(std::string_view(decoded).substr(1)),
                            "a safe path stays inside its folder");
        }
    }
    // Whatever a user or file is called, its stored name stays in its folder.
    const std::string stored = storage_name(bytes);
    rx::fuzz::check(stored.find('/') == std::string::npos && stored.find('\\') == std::string::npos,
                    "a stored name has no separator");
    rx::fuzz::check(stored != "." && stored != "..", "a stored name is no folder link");
    if (safe_relative_path(bytes)) {
        rx::fuzz::check(stays_inside(bytes), "a safe path stays inside its folder");
    }
    return 0;
}
