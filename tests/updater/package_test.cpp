// The Windows packing script: a program folder whose updater trusts a key the build made for itself
// is packed only when the zip is declared one for tests, and then says so in its name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "files.h"

namespace {

namespace fs = std::filesystem;

TEST(package_win32, a_folder_trusting_a_build_made_key_is_packed_for_tests_only) {
    rx::test::temp_dir folder{"rx_package"};
    const fs::path root(folder.path());
    const fs::path program = root / "relicade";
    fs::create_directories(program / "images");
    for (const char* name : {"Relicade.exe", "rxlib.dll", "SDL.dll", "SDL_image.dll", "SDL_ttf.dll",
                             "SDL_net.dll", "NEURPOLI.TTF"})
        ASSERT_TRUE(rx::test::write_file((program / name).string(), "x"));
    const std::string build_key(64, 'c');
    fs::create_directories(root / "keys");
    ASSERT_TRUE(rx::test::write_file((root / "keys" / "update_signing.key").string(), "secret\n"));
    ASSERT_TRUE(
        rx::test::write_file((root / "keys" / "update_public_key.hex").string(), build_key + "\n"));

    auto pack = [&](const std::string& flag) {
        const std::string command = "RX_BUILD_KEY_DIRS='" + (root / "keys").string() + "' bash '" +
                                    RX_SOURCE_DIR + "/scripts/package_win32.sh' " + flag + " '" +
                                    program.string() + "' '" + (root / "out" / "r.zip").string() +
                                    "' 2>/dev/null";
        return std::system(command.c_str());
    };
    // The build's key inside the updater, as the compiler leaves the string.
    ASSERT_TRUE(rx::test::write_file((program / "rx_update.exe").string(),
                                     std::string("MZ\0\0", 4) + build_key + std::string(1, '\0')));
    EXPECT_NE(pack(""), 0);
    EXPECT_FALSE(fs::exists(root / "out" / "r.zip"));
    EXPECT_EQ(pack("--for-tests"), 0);
    EXPECT_TRUE(fs::exists(root / "out" / "r-for-tests.zip"));
    EXPECT_FALSE(fs::exists(root / "out" / "r.zip"));

    // Another key (the service's, given to the build) packs under the name asked for.
    ASSERT_TRUE(rx::test::write_file((program / "rx_update.exe").string(),
                                     "MZ" + std::string(64, 'd') + std::string(1, '\0')));
    EXPECT_EQ(pack(""), 0);
    EXPECT_TRUE(fs::exists(root / "out" / "r.zip"));
}

}  // namespace
