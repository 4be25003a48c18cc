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

resource_lookup load_resource(int id, const void* module_address) {
    resource_lookup result;
    if (resource_step injected = injected_resource_failure(id); injected != resource_step::none) {
        result.failed = injected;
        return result;
    }
    HMODULE module = module_address != nullptr
                         ? static_cast<HMODULE>(const_cast<void*>(module_base(module_address)))
                         : GetModuleHandleA(nullptr);
    result.failed = resource_step::module;
    if (module != nullptr) {
        HRSRC found =
            FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
        result.failed = resource_step::find;
        if (found != nullptr) {
            // A resource of size 0 counts as missing.
            DWORD size = SizeofResource(module, found);
            HGLOBAL loaded = size != 0 ? LoadResource(module, found) : nullptr;
            const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
            result.failed = size == 0           ? resource_step::size
                            : loaded == nullptr ? resource_step::load
                                                : resource_step::lock;
            // Resource memory stays mapped for the life of the module, so the view stays valid.
            if (bytes != nullptr) {
                result.bytes = std::string_view(static_cast<const char*>(bytes), size);
                result.failed = resource_step::none;
                return result;
            }
        }
    }
    // Tables registered by generated code stand in when the module carries no such entry; the
    // failure reported is still the Windows step.
    if ((result.bytes = find_registered_resource(id, module_address))) {
        result.failed = resource_step::none;
    }
    return result;
}

}  // namespace rx::platform
