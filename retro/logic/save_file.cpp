// Packing and unpacking the battery save with its cartridge clock.
#include "retro/logic/save_file.h"

#include <cstdint>
#include <cstring>

namespace rx::retro {
namespace {

const char magic[4] = {'R', 'X', 'S', 'V'};

void put_u32(std::vector<unsigned char>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

std::uint32_t get_u32(const unsigned char* at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | at[i];
    return v;
}

}  // namespace

std::vector<unsigned char> pack_save(const std::vector<unsigned char>& memory,
                                     const std::vector<unsigned char>& clock) {
    std::vector<unsigned char> out = memory;
    if (clock.empty()) return out;
    out.insert(out.end(), clock.begin(), clock.end());
    out.insert(out.end(), magic, magic + 4);
    out.push_back(static_cast<unsigned char>(save_file_version));
    out.insert(out.end(), 3, 0);
    put_u32(out, static_cast<std::uint32_t>(memory.size()));
    put_u32(out, static_cast<std::uint32_t>(clock.size()));
    return out;
}

unpacked_save unpack_save(std::string_view bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    unpacked_save out;
    if (bytes.size() >= save_trailer_size) {
        const unsigned char* trailer = data + bytes.size() - save_trailer_size;
        const std::uint64_t memory = get_u32(trailer + 8), clock = get_u32(trailer + 12);
        if (std::memcmp(trailer, magic, 4) == 0 && trailer[4] == save_file_version &&
            trailer[5] == 0 && trailer[6] == 0 && trailer[7] == 0 && clock > 0 &&
            memory + clock + save_trailer_size == bytes.size()) {
            out.memory.assign(data, data + memory);
            out.clock.assign(data + memory, data + memory + clock);
            return out;
        }
    }
    out.memory.assign(data, data + bytes.size());
    return out;
}

}  // namespace rx::retro
