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
    fs::create_directories(program / "cores");
    // The script checks every DLL is a 32-bit Windows one: the smallest image objdump takes as such
    // (a DOS stub pointing at the PE header, an i386 DLL's file header, an empty 32-bit optional
    // header).
    std::string dll(64, '\0');
    dll[0] = 'M';
    dll[1] = 'Z';
    dll[0x3c] = 0x40;
    dll +=
        std::string("PE\0\0\x4c\x01", 6) + std::string(14, '\0') + std::string("\xe0\0\x02\x21", 4);
    std::string optional(0xe0, '\0');
    optional[0] = 0x0b;
    optional[1] = 0x01;
    optional[92] = 16;
    dll += optional;
    for (const char* name : {"rxlib.dll", "SDL.dll", "SDL_image.dll", "SDL_ttf.dll", "SDL_net.dll"})
        ASSERT_TRUE(rx::test::write_file((program / name).string(), dll));
    for (const char* core : {"nestopia_libretro", "bsnes_mercury_performance_libretro",
                             "gambatte_libretro", "mgba_libretro", "mednafen_pce_fast_libretro"}) {
        ASSERT_TRUE(
            rx::test::write_file((program / "cores" / (std::string(core) + ".dll")).string(), dll));
        ASSERT_TRUE(rx::test::write_file(
            (program / "cores" / (std::string(core) + "-LICENSE.txt")).string(), "licence"));
    }
    for (const char* name : {"Relicade.exe", "NEURPOLI.TTF", "rx_retro.exe", "visualboyadvance.exe",
                             "nester.exe", "zsnesw.exe", "ootake.exe"})
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
