// Joining paths, program names and the folders of the running program and its modules.
#include "platform/path.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

using rx::platform::join_path;

TEST(Path, JoinUsesOneNativeSeparator) {
    EXPECT_EQ(join_path("/opt/relicade", "images/button.png"), "/opt/relicade/images/button.png");
    EXPECT_EQ(join_path("/opt/relicade/", "userinfo.dat"), "/opt/relicade/userinfo.dat");
    EXPECT_EQ(join_path("/opt/relicade", "plugin\\1964Input.ini"),
              "/opt/relicade/plugin/1964Input.ini");
    EXPECT_EQ(join_path("", "error_log.txt"), "error_log.txt");
    EXPECT_EQ(join_path("/opt", ""), "/opt");
}

TEST(Path, ProgramNamesAreUnchangedOnPosix) {
    EXPECT_EQ(rx::platform::program_file_name("rx_update"), "rx_update");
    EXPECT_EQ(rx::platform::program_file_name("z26"), "z26");
}

TEST(Path, ExecutableDirectoryIsTheFolderOfThisProgram) {
    auto dir = rx::platform::executable_directory();
    ASSERT_TRUE(dir.has_value());
    EXPECT_NE(dir->back(), '/');
    EXPECT_EQ(std::filesystem::canonical(*dir), std::filesystem::canonical(RX_TEST_BINARY_DIR));
    EXPECT_TRUE(std::filesystem::exists(join_path(*dir, "platform_tests")));
}

int local_function() {
    return 1;
}

TEST(Path, ModuleDirectoryTellsTheProgramFromASharedLibrary) {
    EXPECT_EQ(rx::platform::module_directory(reinterpret_cast<const void*>(&local_function)),
              rx::platform::executable_directory());
    void* libc_symbol = dlsym(RTLD_DEFAULT, "dlopen");
    ASSERT_NE(libc_symbol, nullptr);
    auto lib_dir = rx::platform::module_directory(libc_symbol);
    ASSERT_TRUE(lib_dir.has_value());
    EXPECT_NE(lib_dir, rx::platform::executable_directory());
    EXPECT_EQ((*lib_dir)[0], '/');
    EXPECT_FALSE(rx::platform::module_directory(nullptr).has_value());
}

}  // namespace
