// The Gens codec: names both ways, the "[Input]" base, unchanged and edited saves, refusals.
#include "emulators/gens_settings.h"

#include <gtest/gtest.h>

#include "emulators/settings_lines.h"
#include "tests/emulators/codec_fixtures.h"

namespace {

using rx::binding;
namespace gens = rx::gens;

std::vector<binding> loaded(const std::string& text) {
    std::vector<binding> records;
    EXPECT_TRUE(gens::load(text, records).ok);
    return records;
}

TEST(GensNames, KeysJoysticksAndEveryJoystickCodeComeBack) {
    EXPECT_EQ(gens::get_std_name("200\r"), "Up");
    EXPECT_EQ(gens::get_std_name("4097"), "Joystick 1 axis 1 dir 0");
    EXPECT_EQ(gens::get_std_name("4113"), "Joystick 1 Button 1");
    EXPECT_EQ(gens::get_std_name("4481"), "Joystick 2 POV Up");
    EXPECT_EQ(gens::get_std_name("4096"), "Joystick 1 Button -16");
    EXPECT_EQ(gens::get_emu_name("Joystick 1 Button -16"), 4096);
    EXPECT_EQ(gens::get_emu_name("Joystick 3 POV Left"), 4096 + 512 + 132);
    EXPECT_EQ(gens::get_emu_name("Joystick 9 axis 0 dir 1"), 4096 + 8 * 256 + 4);
    EXPECT_EQ(gens::get_emu_name("Up"), 200);
    EXPECT_EQ(gens::get_emu_name("Enter (Pad)"), 0);
    for (int code = 4096; code < 4096 + 9 * 256; ++code)
        ASSERT_EQ(gens::get_emu_name(gens::get_joy_std_name(code)), code)
            << gens::get_joy_std_name(code);
    // Names that give no joystick digit or button number must not be read past their end.
    for (const char* broken :
         {"Joystick", "Joystick 1", "Joystick 0 Button 1", "Joystick 12 Button 3",
          "Joystick x axis 0 dir 0", "Joystick 1 Button", "Joystick 1 Button x"})
        EXPECT_FALSE(gens::get_emu_name(broken).has_value()) << broken;
    // A value longer than any int neither wraps into a key nor reads as a joystick it can be saved
    // as.
    EXPECT_FALSE(gens::get_emu_name(gens::get_std_name("99999999999999999999")).has_value());
}

TEST(GensNames, ButtonsThatWouldReadBackAsAnotherInputAreNotStored) {
    // Button n is code 16 + n; 113 to 116 would be the hat's codes and 240 up the next joystick.
    EXPECT_EQ(gens::get_emu_name("Joystick 1 Button 112"), 4096 + 128);
    EXPECT_EQ(gens::get_emu_name("Joystick 1 Button 117"), 4096 + 133);
    EXPECT_EQ(gens::get_emu_name("Joystick 1 Button 239"), 4096 + 255);
    for (const char* unstorable :
         {"Joystick 1 Button 113", "Joystick 1 Button 116", "Joystick 2 Button 240"})
        EXPECT_FALSE(gens::get_emu_name(unstorable).has_value()) << unstorable;

    const std::string text = rx::join_lines(rx::test::gens_lines());
    auto records = loaded(text);
    rx::test::capture(records[0], "Joystick 1 Button 113");
    rx::test::capture(records[1], "Joystick 1 Button 2");
    auto save = gens::save(text, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(rx::test::changed_lines(text, save.bytes), (std::vector<std::size_t>{33}));
    EXPECT_EQ(save.emu[0], records[0].emu);
    EXPECT_EQ(save.unsaved,
              std::vector<std::string>{"Failure storing Joystick 1 Button 113 - save_settings"});
}

TEST(GensLoad, LastInputLineIsTheBaseAndNoneMeansLineZero) {
    auto records = loaded(rx::join_lines(rx::test::gens_lines(30, true)));
    ASSERT_EQ(records.size(), 22u);
    EXPECT_EQ(records[0].shown, "Up");
    EXPECT_EQ(records[0].emu, "200\r");
    EXPECT_EQ(records[7].emu, "32\r");  // C at offset 9
    EXPECT_EQ(records[8].emu, "16\r");  // X at offset 11: offset 10 is skipped
    EXPECT_EQ(records[11].shown, "Joystick 1 axis 1 dir 0");
    EXPECT_EQ(records[17].shown, "Joystick 2 POV Up");
    EXPECT_EQ(records[21].shown, "Joystick 1 Button 3");

    // Without "[Input]" the offsets count from line 0.
    auto lines = rx::test::gens_lines();
    lines[30] = "[Pads]\r\n";
    records = loaded(rx::join_lines(lines));
    EXPECT_EQ(records[0].emu, "1\r");   // line 2, "Option2=1"
    EXPECT_EQ(records[20].emu, "0\r");  // line 64, "P1B.Key64=0"
}

TEST(GensLoad, ShortSectionStopsWithTheRangeErrorKeepingEarlierRows) {
    auto lines = rx::test::gens_lines();
    lines.resize(30 + 61);  // from player 2's C (offset 61) on, the lines are missing
    std::vector<binding> records(22, binding{"old", "old"});
    auto result = gens::load(rx::join_lines(lines), records);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, rx::missing_line_text);
    EXPECT_EQ(records[17].shown, "Joystick 2 POV Up");
    EXPECT_EQ(records[18].shown, "old");
    EXPECT_EQ(records[21].emu, "old");
    EXPECT_FALSE(gens::load("", records).ok);
    EXPECT_EQ(records[0].shown, "Up");
}

TEST(GensSave, UnchangedBigFileComesBackByteIdentical) {
    const std::string text = rx::test::padded(rx::test::gens_lines(30, true), 6000);
    ASSERT_GT(text.size(), 4096u);
    auto records = loaded(text);
    auto save = gens::save(text, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(save.bytes, text);
    ASSERT_EQ(save.emu.size(), 22u);
    EXPECT_EQ(save.emu[0], "200");
    EXPECT_EQ(save.emu[21], "4115");
}

TEST(GensSave, EditsOfBothPlayersChangeExactlyTheirLines) {
    const std::string text = rx::test::padded(rx::test::gens_lines(), 5000);
    auto records = loaded(text);
    rx::test::capture(records[2], "Joystick 2 Button 5");  // player 1 Left
    rx::test::capture(records[11 + 10], "Right Ctrl");     // player 2 Z
    auto save = gens::save(text, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(rx::test::changed_lines(text, save.bytes), (std::vector<std::size_t>{34, 95}));
    auto lines = rx::split_lines(save.bytes);
    EXPECT_EQ(lines[34], "P1.Left=4373\r\n");
    EXPECT_EQ(lines[95], "P2.Z=157\r\n");
    EXPECT_EQ(save.emu[2], "4373");
}

TEST(GensSave, ValuesWithoutNamesOfTheirOwnSurviveUntouchedRows) {
    auto lines = rx::test::gens_lines();
    lines[32] = "P1.Up=300\r\n";      // between the keys and 4096
    lines[33] = "P1.Down=55\n";       // a key without a name
    lines[34] = "P1.Left=0\r\n";      // "0" would come back as the key 0
    lines[35] = "P1.Right=156\r\n";   // keypad Enter: shown as Enter
    lines[36] = "P1.Start=6700\r\n";  // a tenth joystick
    const std::string text = rx::join_lines(lines);
    auto records = loaded(text);
    EXPECT_EQ(records[1].shown, "55");
    EXPECT_EQ(records[3].shown, "Enter");
    auto save = gens::save(text, records);
    ASSERT_TRUE(save.written);
    // Saving without touching a row never changes its binding.
    EXPECT_EQ(save.bytes, text);
    EXPECT_EQ(save.emu[0], "300\r");

    // Once the user captures something else the row is written like any other.
    rx::test::capture(records[1], "Enter (Pad)");
    rx::test::capture(records[0], "Q");
    rx::test::capture(records[2], "0");  // the key 0, captured over a loaded 0
    save = gens::save(text, records);
    lines = rx::split_lines(save.bytes);
    EXPECT_EQ(lines[32], "P1.Up=16\r\n");
    EXPECT_EQ(lines[33], "P1.Down=0\r\n");
    EXPECT_EQ(lines[34], "P1.Left=11\r\n");
}

TEST(GensSave, FileTooShortForPlayerTwoWritesNothing) {
    auto lines = rx::test::gens_lines();
    lines.resize(30 + 65);  // one line short of player 2's Z
    const std::string text = rx::join_lines(lines);
    std::vector<binding> records(22, binding{"Up", "200"});
    auto save = gens::save(text, records);
    EXPECT_FALSE(save.written);
    EXPECT_EQ(save.error, rx::missing_line_text);
    EXPECT_TRUE(save.bytes.empty());
    EXPECT_FALSE(gens::save("", records).written);
}

}  // namespace
