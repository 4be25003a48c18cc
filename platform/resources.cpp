// Resource tables registered by generated code at load time, looked up by id and owning module.
#include "platform/resources.h"

#include <mutex>
#include <vector>

#include "platform/resources_table.h"

namespace rx::platform {

namespace {

struct entry {
    int id;
    const void* module;  // base of the module holding the bytes, or null when unknown
    std::string_view bytes;
};

// Reached only through a function so that static initialisers in any order can register safely.
struct table {
    std::mutex mutex;
    std::vector<entry> entries;
};

table& registered() {
    static table* t = new table();  // never destroyed: late static destructors may still look up
    return *t;
}

}  // namespace

void register_resource(int id, const unsigned char* data, std::size_t size) {
    if (data == nullptr) return;
    table& t = registered();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.entries.push_back(
        {id, module_base(data), std::string_view(reinterpret_cast<const char*>(data), size)});
}

std::optional<std::string_view> find_registered_resource(int id, const void* module_address) {
    const void* module = module_address != nullptr ? module_base(module_address) : nullptr;
    table& t = registered();
    std::lock_guard<std::mutex> lock(t.mutex);
    std::optional<std::string_view> any;
    for (const entry& e : t.entries) {
        if (e.id != id) continue;
        if (module != nullptr && e.module == module) return e.bytes;
        if (!any) any = e.bytes;
    }
    // Each module carries its own ids; only when the owner cannot be told apart is any table with
    // the id taken.
    if (module == nullptr) return any;
    for (const entry& e : t.entries) {
        if (e.id == id && e.module == nullptr) return e.bytes;
    }
    return std::nullopt;
}

}  // namespace rx::platform
