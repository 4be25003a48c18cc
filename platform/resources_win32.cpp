// Resources on Windows: RCDATA entries of the module holding an address, else registered tables.
#include <windows.h>

#include "platform/resources.h"
#include "platform/resources_table.h"

namespace rx::platform {

const void* module_base(const void* address) {
    HMODULE module = nullptr;
    if (address == nullptr || !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                                      GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                                  static_cast<LPCSTR>(address), &module)) {
        return nullptr;
    }
    return reinterpret_cast<const void*>(module);
}

std::optional<std::string_view> find_resource(int id, const void* module_address) {
    HMODULE module = module_address != nullptr
                         ? static_cast<HMODULE>(const_cast<void*>(module_base(module_address)))
                         : GetModuleHandleA(nullptr);
    if (module != nullptr) {
        HRSRC found =
            FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
        if (found != nullptr) {
            DWORD size = SizeofResource(module, found);
            HGLOBAL loaded = size != 0 ? LoadResource(module, found) : nullptr;
            const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
            // Resource memory stays mapped for the life of the module, so the view stays valid.
            if (bytes != nullptr) return std::string_view(static_cast<const char*>(bytes), size);
        }
    }
    return find_registered_resource(id, module_address);
}

}  // namespace rx::platform
