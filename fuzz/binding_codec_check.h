// The check every binding-record settings codec (Gens, MEKA, ZSNES) gets from its fuzz target: a
// file read and saved with nothing captured holds the same bindings when read again, and saving
// that again changes nothing more.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "emulators/binding_codec.h"
#include "fuzz/fuzz_input.h"

namespace rx::fuzz {

template <typename Load, typename Save>
void check_unchanged_save(std::string_view bytes, int binding_count, Load load, Save save) {
    std::vector<binding> records(static_cast<std::size_t>(binding_count));
    if (!load(bytes, records)) return;
    const settings_save saved = save(bytes, records);
    if (!saved.written) return;
    check(saved.emu.size() == records.size(), "an emulator value for every record");
    std::vector<binding> again(static_cast<std::size_t>(binding_count));
    check(load(saved.bytes, again), "a saved file loads");
    for (std::size_t i = 0; i < records.size(); ++i)
        check(again[i].id == records[i].id && again[i].emu == records[i].emu,
              "a save without captures keeps every binding");
    const settings_save twice = save(saved.bytes, again);
    check(twice.written && twice.bytes == saved.bytes, "saving a saved file changes nothing");
}

}  // namespace rx::fuzz
