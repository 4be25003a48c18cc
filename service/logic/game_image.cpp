// Deterministic generator of the synthetic game images and their zlib form.
#include "service/logic/game_image.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace rx::service {
namespace {

std::uint64_t fnv1a(std::string_view text) {
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

// splitmix64: fast, and its output is fixed by the seed alone on every platform.
struct random_source {
    std::uint64_t state;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
};

constexpr std::size_t block_size = 256;

}  // namespace

std::vector<std::uint8_t> generate_game_image(std::string_view game_id, std::size_t size) {
    std::vector<std::uint8_t> image(size);
    random_source random{fnv1a(game_id) ^
                         (static_cast<std::uint64_t>(size) * 0xD6E8FEB86659FD93ull)};

    const std::string header =
        "RELICADE GAME IMAGE\n" + std::string(game_id) + "\n" + std::to_string(size) + "\n";
    std::size_t pos = std::min(header.size(), size);
    if (pos > 0) std::memcpy(image.data(), header.data(), pos);

    // Sixteen byte values make up most blocks: four bits of entropy a byte, about 2:1 for zlib.
    std::uint8_t alphabet[16];
    const std::uint64_t a = random.next(), b = random.next();
    for (int i = 0; i < 8; ++i) {
        alphabet[i] = static_cast<std::uint8_t>(a >> (8 * i));
        alphabet[8 + i] = static_cast<std::uint8_t>(b >> (8 * i));
    }

    while (pos < size) {
        const std::size_t n = std::min(block_size, size - pos);
        const unsigned kind = static_cast<unsigned>(random.next() % 100);
        std::uint8_t* out = image.data() + pos;
        if (kind < 18 && pos >= 120 * block_size) {
            // A repeat of an earlier block inside zlib's 32 KiB window, like tile or code reuse.
            const std::size_t distance = block_size * (1 + random.next() % 120);
            for (std::size_t i = 0; i < n; ++i) out[i] = out[i - distance];
        } else if (kind < 26) {
            // Noise: packed graphics or sound data that does not compress.
            for (std::size_t i = 0; i < n; i += 8) {
                const std::uint64_t v = random.next();
                for (std::size_t k = 0; k < 8 && i + k < n; ++k)
                    out[i + k] = static_cast<std::uint8_t>(v >> (8 * k));
            }
        } else {
            for (std::size_t i = 0; i < n; i += 16) {
                const std::uint64_t v = random.next();
                for (std::size_t k = 0; k < 16 && i + k < n; ++k)
                    out[i + k] = alphabet[(v >> (4 * k)) & 15];
            }
        }
        pos += n;
    }
    return image;
}

std::vector<std::uint8_t> compress_game_image(const std::vector<std::uint8_t>& image) {
    uLongf length = compressBound(static_cast<uLong>(image.size()));
    std::vector<std::uint8_t> packed(length);
    const int result =
        compress(packed.data(), &length, image.data(), static_cast<uLong>(image.size()));
    if (result != Z_OK) throw std::runtime_error("zlib compress failed");
    packed.resize(length);
    return packed;
}

}  // namespace rx::service
