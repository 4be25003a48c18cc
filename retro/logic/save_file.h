// The battery save as one file: the save memory, then the cartridge clock when the game has one,
// then a trailer that names both sizes and the format's version.
#pragma once
#include <optional>
#include <string_view>
#include <vector>

namespace rx::retro {

// A save without a clock is the save memory alone, as every emulator keeps it. With a clock:
// memory, clock, and 16 bytes "RXSV", the version (1), three zero bytes, the memory's and the
// clock's sizes (32-bit little-endian). The save memory stays at the start either way.
inline constexpr unsigned save_file_version = 1;
inline constexpr std::size_t save_trailer_size = 16;

std::vector<unsigned char> pack_save(const std::vector<unsigned char>& memory,
                                     const std::vector<unsigned char>& clock);

struct unpacked_save {
    std::vector<unsigned char> memory;
    std::vector<unsigned char> clock;  // empty when the file holds none
};
// Bytes without a well-formed trailer of a known version are save memory alone.
unpacked_save unpack_save(std::string_view bytes);

}  // namespace rx::retro
