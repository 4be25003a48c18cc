// The check every binding-record settings codec (Gens, MEKA, ZSNES) gets from its fuzz target: a
// file read and saved with nothing captured shows the same bindings when read again, and saving
// that again changes nothing more.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "emulators/binding_codec.h"
#include "fuzz/fuzz_input.h"

namespace rx::fuzz {

// The name without the blanks and carriage return around it.
inline std::string_view trimmed(std::string_view name) {
    const std::size_t first = name.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return name.substr(first, name.find_last_not_of(" \t\r") - first + 1);
}

// `exact` false compares the names without the blanks around them: a codec that writes its lines in
// one form may tidy the spacing of a hand-made line, but never change the binding.
template <typename Load, typename Save>
void check_unchanged_save(std::string_view bytes, int binding_count, Load load, Save save,
                          bool exact = true) {
    std::vector<binding> records(static_cast<std::size_t>(binding_count));
    if (!load(bytes, records)) return;
    const settings_save saved = save(bytes, records);
    if (!saved.written) return;
    check(saved.emu.size() == records.size(), "an emulator name for every record");
    std::vector<binding> again(static_cast<std::size_t>(binding_count));
    check(load(saved.bytes, again), "a saved file loads");
    for (std::size_t i = 0; i < records.size(); ++i) {
        const bool same = exact ? again[i].shown == records[i].shown
                                : trimmed(again[i].shown) == trimmed(records[i].shown);
        check(same, "a save without captures shows the same names");
    }
    const settings_save twice = save(saved.bytes, again);
    check(twice.written && twice.bytes == saved.bytes, "saving a saved file changes nothing");
}

}  // namespace rx::fuzz
