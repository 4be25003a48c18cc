// Save space accounting: what a store would leave an owner holding.
#include "service/logic/save_quota.h"

#include <algorithm>

namespace rx::service {

save_use use_of(const std::map<std::string, kept_save>& held) {
    save_use use;
    for (const auto& [name, save] : held) {
        if (save.has_current) {
            ++use.saves;
            use.bytes += save.current;
        }
        for (const std::uint64_t v : save.versions) use.bytes += v;
    }
    return use;
}

save_use use_after_store(std::map<std::string, kept_save> held, const std::string& name,
                         std::uint64_t size, std::size_t versions_kept) {
    kept_save& save = held[name];
    if (save.versions.empty() && save.has_current) save.versions.push_back(save.current);
    save.versions.insert(save.versions.begin(), size);
    if (save.versions.size() > versions_kept) save.versions.resize(versions_kept);
    save.has_current = true;
    save.current = size;
    return use_of(held);
}

bool store_fits(const save_use& before, const save_use& after, const save_quota& quota) {
    // Each measure on its own: an owner above a lowered byte quota may still add no bytes.
    return (after.saves <= quota.saves || after.saves <= before.saves) &&
           (after.bytes <= quota.bytes || after.bytes <= before.bytes);
}

}  // namespace rx::service
