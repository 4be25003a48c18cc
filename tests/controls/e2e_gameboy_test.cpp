// The Gameboy controls as a person sets them, under X: log in as guest, open Controls and the
// Gameboy screen, run Set All with real key presses, Save Settings, and read vba.ini back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files.h"
#include "relicade_window.h"
#include "tests/emulators/codec_fixtures.h"

namespace fs = std::filesystem;
using rx::test::pause_ms;
using rx::test::read_file;
using rx::test::vba_ini;
using rx::test::write_file;

namespace {

class gameboy_controls_e2e : public rx::test::relicade_window_test {
  protected:
    gameboy_controls_e2e() { folder_prefix = "rx_controls_e2e"; }
};

TEST_F(gameboy_controls_e2e, set_all_with_keys_then_save_rewrites_exactly_the_ten_lines) {
    const std::string before =
        vba_ini({"30", "32", "17", "31", "46", "47", "19", "20", "57", "15"});
    ASSERT_TRUE(write_file((folder / "vba.ini").string(), before));
    start_relicade();
    ASSERT_TRUE(logged("GET /browser/current_version.php"));
    click_at(400, 570);  // Login as Guest
    ASSERT_TRUE(logged("checkuser.php?username=guest&password=guest"));
    // A free account sees a ten-second splash first; a press during it would open the upgrade
    // page, so the menu is awaited without touching anything.
    pause_ms(11000);
    click_at(80, 525);  // Controls
    pause_ms(300);
    click_at(100, 160);  // Gameboy
    pause_ms(300);
    click_at(230, 380);  // Set All
    pause_ms(200);
    // Up, Down, Left, Right, Select, Start, A, B, L, R in screen order.
    for (const char* key :
         {"Up", "Down", "Left", "Right", "BackSpace", "Return", "z", "x", "q", "w"}) {
        input(std::string("key ") + key);
    }
    pause_ms(200);
    click_at(385, 380);  // Save Settings
    // The save runs on the event after the click; a small pointer move is one.
    point_at(390, 385);
    const std::string expected =
        vba_ini({"203", "205", "200", "208", "44", "45", "16", "17", "28", "14"});
    ASSERT_TRUE(wait_until([&] { return read_file(folder / "vba.ini") != before; }, 10000))
        << "vba.ini was not written";
    EXPECT_EQ(read_file(folder / "vba.ini"), expected);
    EXPECT_EQ(read_file(folder / "error_log.txt"), "");
    // No temporary file is left beside it.
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(name.find("vba.ini."), std::string::npos) << name;
    }
}

}  // namespace
