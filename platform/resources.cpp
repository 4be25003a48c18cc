// Resource tables registered by generated code at load time, looked up by id and owning module.
#include "platform/resources.h"

#include <atomic>
#include <thread>
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
// A spin lock rather than std::mutex: the table is touched a handful of times, and this code also
// builds with toolchains whose C++ library has no std::mutex (MinGW's win32 thread model).
struct table {
    std::atomic_flag busy = ATOMIC_FLAG_INIT;
    std::vector<entry> entries;
};

class table_lock {
  public:
    explicit table_lock(table& t) : t_(t) {
        while (t_.busy.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
    }
    ~table_lock() { t_.busy.clear(std::memory_order_release); }
    table_lock(const table_lock&) = delete;
    table_lock& operator=(const table_lock&) = delete;

  private:
    table& t_;
};

std::atomic<resource_step> injected_step{resource_step::none};
std::atomic<int> injected_id{-1};

table& registered() {
    static table* t = new table();  // never destroyed: late static destructors may still look up
    return *t;
}

}  // namespace

void register_resource(int id, const unsigned char* data, std::size_t size) {
    if (data == nullptr) return;
    table& t = registered();
    table_lock lock(t);
    t.entries.push_back(
        {id, module_base(data), std::string_view(reinterpret_cast<const char*>(data), size)});
}

const char* resource_step_name(resource_step step) {
    switch (step) {
        case resource_step::none:
            return "";
        case resource_step::module:
            return "GetModuleHandle";
        case resource_step::find:
            return "FindResource";
        case resource_step::size:
            return "SizeofResource";
        case resource_step::load:
            return "LoadResource";
        case resource_step::lock:
            return "LockResource";
    }
    return "";
}

void fail_resource_step_for_testing(resource_step step, int id) {
    injected_id = id;
    injected_step = step;
}

resource_step injected_resource_failure(int id) {
    const resource_step step = injected_step;
    if (step == resource_step::none) return step;
    const int only = injected_id;
    return only == -1 || only == id ? step : resource_step::none;
}

std::optional<std::string_view> find_registered_resource(int id, const void* module_address) {
    const void* module = module_address != nullptr ? module_base(module_address) : nullptr;
    table& t = registered();
    table_lock lock(t);
    std::optional<std::string_view> any;
    for (const entry& e : t.entries) {
        // An empty table counts as missing, as an empty RCDATA entry does.
        if (e.id != id || e.bytes.empty()) continue;
        if (module != nullptr && e.module == module) return e.bytes;
        if (!any) any = e.bytes;
    }
    // Each module carries its own ids; only when the owner cannot be told apart is any table with
    // the id taken.
    if (module == nullptr) return any;
    for (const entry& e : t.entries) {
        if (e.id == id && e.module == nullptr && !e.bytes.empty()) return e.bytes;
    }
    return std::nullopt;
}

}  // namespace rx::platform
