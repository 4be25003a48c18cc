// Fuzz target: nester's key records as its registry keys may hold them, read and stored back.
#include "emulators/nester_settings.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace nester = rx::nester;
    rx::fuzz::input in(data, size);
    nester::key_record record;
    for (auto& b : record.device_guid) b = in.byte();
    auto word = [&in] {
        std::uint32_t w = 0;
        for (int i = 0; i < 4; ++i) w |= static_cast<std::uint32_t>(in.byte()) << (8 * i);
        return w;
    };
    record.device_number = static_cast<std::int32_t>(word());
    record.device_type = word() % 5;
    record.axis_positive = word() % 3;
    record.offset = word() % 80;
    record.key = in.byte();
    const int controller = in.byte() % nester::controller_count;

    rx::platform::device_list devices;
    devices.enumerated = true;
    devices.keyboard = "{6F1D2B61-D5A0-11CF-BFC7-444553540000}";
    for (int i = in.byte() % 4; i > 0; --i)
        devices.controllers.push_back(
            {"Pad", "{10000000-0000-0000-0000-00000000000" + std::to_string(i) + "}"});

    const rx::input loaded = nester::input_of(record, controller);
    if (auto stored = nester::record_of(loaded, record, devices)) {
        // What a save stores for an input reads back as that same input.
        rx::fuzz::check(nester::input_of(*stored, controller) == loaded,
                        "a stored input reads back");
    }
    // Any input a capture box may hand over.
    rx::input captured;
    captured.type = static_cast<rx::input::kind>(in.byte() % 7);
    captured.joystick = static_cast<std::int8_t>(in.byte());
    captured.index = static_cast<std::int16_t>(word());
    captured.positive = in.byte() % 2 == 1;
    captured.hat = static_cast<rx::hat_direction>(in.byte() % 4);
    if (auto stored = nester::record_of(captured, record, devices)) {
        rx::fuzz::check(!nester::record_values(*stored).empty(), "a stored record has values");
        rx::fuzz::check(nester::input_of(*stored, controller) == captured,
                        "a stored capture reads back");
    }
    nester::record_values(record);
    return 0;
}
