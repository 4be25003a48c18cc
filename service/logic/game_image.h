// Synthetic game images: generated from a game id and size, identical on every run and machine.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace rx::service {

// The image the game server serves for `game_id`: `size` bytes that depend only on the id and the
// size. Most of it is drawn from a small byte alphabet with repeats and stretches of noise, so zlib
// packs it to roughly half its size, as real cartridge dumps do.
std::vector<std::uint8_t> generate_game_image(std::string_view game_id, std::size_t size);

// zlib's compress() of `image` at the default level: exactly the bytes streamed after the size
// reply.
std::vector<std::uint8_t> compress_game_image(const std::vector<std::uint8_t>& image);

}  // namespace rx::service
