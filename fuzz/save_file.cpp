// Fuzz target: rx_retro's battery save file, read whatever its bytes, and written back unchanged.
#include "retro/logic/save_file.h"

#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace retro = rx::retro;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const retro::unpacked_save save = retro::unpack_save(bytes);
    rx::fuzz::check(save.memory.size() + save.clock.size() <= size, "nothing made up");
    // The save memory stays at the start, so an emulator that knows no clock still reads it.
    rx::fuzz::check(std::string_view(reinterpret_cast<const char*>(save.memory.data()),
                                     save.memory.size()) == bytes.substr(0, save.memory.size()),
                    "the memory is the file's start");
    const std::vector<unsigned char> packed = retro::pack_save(save.memory, save.clock);
    const retro::unpacked_save again = retro::unpack_save(
        std::string_view(reinterpret_cast<const char*>(packed.data()), packed.size()));
    rx::fuzz::check(again.memory == save.memory && again.clock == save.clock,
                    "a written save reads back the same");
    return 0;
}
