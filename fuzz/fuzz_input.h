// Taking a fuzz input apart into the pieces a target needs, without libFuzzer's own header, so the
// targets also build as replay tests with GCC.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace rx::fuzz {

// A fuzz target's own invariant failed: abort, so libFuzzer keeps the input and a replay test
// fails.
inline void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

class input {
  public:
    input(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    bool empty() const { return rest_.empty(); }
    std::string_view rest() const { return rest_; }

    std::uint8_t byte() {
        if (rest_.empty()) return 0;
        auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }

    // The text up to the next `separator` byte (dropped), or all that is left.
    std::string_view piece(char separator) {
        std::size_t at = rest_.find(separator);
        std::string_view out = rest_.substr(0, at);
        rest_.remove_prefix(at == std::string_view::npos ? rest_.size() : at + 1);
        return out;
    }

    // The next `count` bytes (fewer when less is left).
    std::string_view piece_of(std::size_t count) {
        std::string_view out = rest_.substr(0, count);
        rest_.remove_prefix(out.size());
        return out;
    }

  private:
    std::string_view rest_;
};

}  // namespace rx::fuzz
