// The Genesis controls as a person reaches them, under X: log in, open the Genesis game list, its
// Controls button, capture two keys, Save Settings, read gens.cfg back, and Back to the list.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "emulators/settings_lines.h"
#include "files.h"
#include "relicade_window.h"
#include "tests/emulators/codec_fixtures.h"

namespace fs = std::filesystem;
using rx::test::pause_ms;
using rx::test::read_file;
using rx::test::write_file;

namespace {

class genesis_controls_e2e : public rx::test::relicade_window_test {
  protected:
    genesis_controls_e2e() { folder_prefix = "rx_genesis_e2e"; }
};

TEST_F(genesis_controls_e2e, controls_from_the_game_list_save_exactly_the_captured_lines) {
    // Bigger than the 4,096 bytes the emulator's own reader looks at, and no final line feed.
    const std::string before = rx::test::padded(rx::test::gens_lines(), 6000);
    ASSERT_TRUE(write_file((folder / "gens.cfg").string(), before));
    start_relicade();
    ASSERT_TRUE(logged("GET /browser/current_version.php"));
    // The user-name box has the focus; the pointer over the window gives the window the keyboard.
    point_at(400, 300);
    input("type --delay 40 demo");
    input("key Tab");
    input("type --delay 40 demo");
    input("key Return");
    ASSERT_TRUE(logged("checkuser.php?username=demo&password=demo"));
    pause_ms(700);
    click_at(400, 225);  // Genesis
    ASSERT_TRUE(logged("system=GEN&criteria=^[a-b]&end=1 HTTP/1.0"));
    pause_ms(500);
    click_at(565, 25);  // the list's Controls button
    pause_ms(400);
    click_at(300, 160);  // Left
    input("key k");
    click_at(300, 340);  // X
    input("key m");
    click_at(385, 440);  // Save Settings
    // The save runs on the event after the click; a small pointer move is one.
    point_at(390, 445);
    ASSERT_TRUE(wait_until([&] { return read_file(folder / "gens.cfg") != before; }, 10000))
        << "gens.cfg was not written";
    auto expected = rx::split_lines(before);
    expected[34] = "P1.Left=37\r\n";
    expected[41] = "P1.X=50\r\n";
    EXPECT_EQ(read_file(folder / "gens.cfg"), rx::join_lines(expected));
    EXPECT_EQ(read_file(folder / "error_log.txt"), "");
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(name.find("gens.cfg."), std::string::npos) << name;
    }

    // Back leads to the game list: its S-T filter fetches a new list, where the Genesis screen has
    // only a row label.
    click_at(565, 25);
    pause_ms(400);
    const int lists = count("gamelist.php");
    click_at(52, 84 + 34 * 9 + 20);
    EXPECT_TRUE(wait_until([&] { return count("gamelist.php") > lists; }, 10000));
    EXPECT_TRUE(logged("system=GEN&criteria=^[s-t]&end=1"));
}

}  // namespace
