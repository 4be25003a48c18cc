// Resources registered by generated tables and found again by id and module.
#include "platform/resources.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

const unsigned char font_bytes[] = {'N', 'E', 'U', 0, 'R', 'P'};
const unsigned char image_bytes[] = {0x89, 'P', 'N', 'G'};

// Registered the way generated tables do it: from a static initialiser, before main.
const bool registered = [] {
    rx::platform::register_resource(9101, font_bytes, sizeof font_bytes);
    rx::platform::register_resource(9102, image_bytes, sizeof image_bytes);
    return true;
}();

TEST(Resources, RegisteredBytesAreFoundInTheirModule) {
    ASSERT_TRUE(registered);
    auto font = rx::platform::find_resource(9101, &font_bytes);
    ASSERT_TRUE(font.has_value());
    EXPECT_EQ(*font, std::string_view("NEU\0RP", 6));  // embedded NULs are kept
    EXPECT_EQ(font->data(), reinterpret_cast<const char*>(font_bytes));
    auto image = rx::platform::find_resource(
        9102, reinterpret_cast<const void*>(&rx::platform::find_resource));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->size(), 4u);
    EXPECT_FALSE(rx::platform::find_resource(9103, &font_bytes).has_value());
}

TEST(Resources, AnotherModuleDoesNotSeeThisModulesTables) {
    void* libc_symbol = dlsym(RTLD_DEFAULT, "dlopen");
    ASSERT_NE(libc_symbol, nullptr);
    EXPECT_FALSE(rx::platform::find_resource(9101, libc_symbol).has_value());
}

}  // namespace
