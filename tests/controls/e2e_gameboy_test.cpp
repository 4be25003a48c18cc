// The Gameboy controls as a person sets them, under X: log in as guest, open Controls and the
// Gameboy screen, run Set All with real key presses, Save Settings, and read vba.ini back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files.h"
#include "relicade_window.h"

namespace fs = std::filesystem;
using rx::test::pause_ms;
using rx::test::read_file;
using rx::test::write_file;

namespace {

// A vba.ini as the emulator ships it, roughly: 110 lines, mostly CR LF, one bare LF line, a last
// line without a line feed, and the first pad's ten keys at their fixed lines with `values`
// (Left, Right, Up, Down, A, B, L, R, Start, Select).
std::string vba_ini(const std::vector<std::string>& values) {
    const std::pair<int, const char*> keys[] = {
        {81, "Joy0_Left="},  {82, "Joy0_Right="}, {83, "Joy0_Up="}, {87, "Joy0_Down="},
        {88, "Joy0_A="},     {89, "Joy0_B="},     {90, "Joy0_L="},  {91, "Joy0_R="},
        {92, "Joy0_Start="}, {93, "Joy0_Select="}};
    std::string text = "[preferences]\r\n";
    for (int i = 1; i < 110; ++i) {
        std::string line = "option" + std::to_string(i) + "=" + std::to_string(i * 3) + "\r\n";
        if (i == 40) line = "bareLineFeed=1\n";
        if (i == 109) line = "lastLine=no line feed";
        for (std::size_t k = 0; k < 10; ++k) {
            if (keys[k].first == i) line = std::string(keys[k].second) + values[k] + "\r\n";
        }
        text += line;
    }
    return text;
}

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
