// How much save space an owner (an account, or one guest play) holds, and whether a store fits its
// quota.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace rx::service {

struct save_quota {
    std::size_t saves = 100;                        // current saves (names)
    std::uint64_t bytes = std::uint64_t{64} << 20;  // current saves and every kept version
};

// One save as it lies on disk: the current bytes and its kept versions, newest first.
struct kept_save {
    bool has_current = false;
    std::uint64_t current = 0;
    std::vector<std::uint64_t> versions;
};

struct save_use {
    std::size_t saves = 0;
    std::uint64_t bytes = 0;
};

save_use use_of(const std::map<std::string, kept_save>& held);

// What the owner holds once `size` bytes are stored as `name` with `versions_kept` versions kept:
// the new bytes become the current save and the newest version; a save kept from before versions
// were becomes the first version; the oldest beyond the count go.
save_use use_after_store(std::map<std::string, kept_save> held, const std::string& name,
                         std::uint64_t size, std::size_t versions_kept);

// A store is taken when, in count and in bytes alike, it leaves the owner within the quota or at
// least holding no more than before (so an owner above a quota an operator lowered can still
// replace a save by one no larger).
bool store_fits(const save_use& before, const save_use& after, const save_quota& quota);

}  // namespace rx::service
