// Internal to the platform layer: the table of resources registered by generated code.
#pragma once
#include <optional>
#include <string_view>

#include "platform/resources.h"

namespace rx::platform {

// Base address of the module containing `address`, or null when it cannot be told.
const void* module_base(const void* address);

// The registered bytes of `id`, preferring those of the module that holds `module_address`.
std::optional<std::string_view> find_registered_resource(int id, const void* module_address);

// The step a test asked the lookup of `id` to fail at; none normally.
resource_step injected_resource_failure(int id);

}  // namespace rx::platform
