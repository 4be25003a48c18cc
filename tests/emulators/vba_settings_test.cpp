// The vba.ini codec: values to shown names and back, and the fixed-line rewrite.
#include "emulators/vba_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "emulators/settings_lines.h"

namespace rx {
namespace {

// A settings file of `count` lines "line<i>=<i>" with CR LF, the binding lines included.
std::string numbered_file(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "line" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    return text;
}

std::array<std::string, vba::row_count> values_of(const char* value) {
    std::array<std::string, vba::row_count> v;
    v.fill(value);
    return v;
}

TEST(VbaCodec, ValuesAndShownNames) {
    EXPECT_EQ(vba::get_control("Joy0_Left=203\r\n"), "203\r");
    EXPECT_EQ(vba::get_control("Joy0_Left=a=b\n"), "a=b");
    EXPECT_EQ(vba::get_control("no equals\n"), "");
    EXPECT_EQ(vba::get_std_name("203\r"), "Left");
    EXPECT_EQ(vba::get_std_name("156"), "Enter");
    EXPECT_EQ(vba::get_std_name("55"), "55");
    EXPECT_EQ(vba::get_std_name("256"), "Joystick 1 axis 0 dir 0");
    EXPECT_EQ(vba::get_std_name("259"), "Joystick 1 axis 1 dir 1");
    EXPECT_EQ(vba::get_std_name("291"), "Joystick 1 POV Left");
    EXPECT_EQ(vba::get_std_name("288"), "Joystick 1 POV Up");
    EXPECT_EQ(vba::get_std_name("387"), "Joystick 1 Button 3");
    EXPECT_EQ(vba::get_std_name("642\r"), "Joystick 2 Button 2");
    EXPECT_EQ(vba::get_std_name("260"), "Joystick 1 ");
}

TEST(VbaCodec, ShownNamesBackToCodes) {
    EXPECT_EQ(vba::get_emu_name("Left", "203\r", false), "203");
    EXPECT_EQ(vba::get_emu_name("Enter", "156", true), "28");
    // Left alone, keypad Enter and an input without a name keep their codes.
    EXPECT_EQ(vba::get_emu_name("Enter", "156", false), "156");
    EXPECT_EQ(vba::get_emu_name("Enter (Pad)", "0", true), "0");
    EXPECT_EQ(vba::get_emu_name("Joystick 2 Button 2", "642\r", false), "642");
    EXPECT_EQ(vba::get_emu_name("Joystick 1 ", "260\r", false), "260");
    EXPECT_EQ(vba::get_emu_name("Joystick 1 ", "260", true), "256");
    // A bare number left alone is written back as it was, negative ones too.
    EXPECT_EQ(vba::get_emu_name("-8", "-8\r", false), "-8");
    EXPECT_EQ(vba::get_emu_name("-8", "-8\r", true), "0");
    EXPECT_EQ(vba::get_emu_name("Joystick 1 POV Right", "0", true), "290");
    EXPECT_EQ(vba::get_emu_name("Joystick 3 axis 0 dir 1", "0", true), "769");
    EXPECT_EQ(vba::get_emu_name("Joystick 3 axis 1 dir 0", "0", true), "770");
    // The emulator has no code for the extra axes: the joystick's base.
    EXPECT_EQ(vba::get_emu_name("Joystick 1 axis 2 dir 0", "0", true), "256");
}

TEST(VbaCodec, ButtonsBeyondTheJoysticksRangeAreNotStored) {
    // 128 codes per joystick hold buttons 0 to 127; button 128 would be the next joystick's axis.
    EXPECT_EQ(vba::get_joy_emu_name("Joystick 1 Button 127"), "511");
    EXPECT_FALSE(vba::get_joy_emu_name("Joystick 1 Button 128").has_value());
    EXPECT_EQ(vba::get_emu_name("Joystick 1 Button 200", "45\r", true), "45");
}

TEST(VbaCodec, UntouchedRowsKeepWhatTheyLoaded) {
    // A key code without a name is shown as its number and written back as that code.
    EXPECT_EQ(vba::get_emu_name("55", "55\r", false), "55");
    EXPECT_EQ(vba::get_emu_name("1", "1\r", false), "1");  // Escape, not the "1" key
    // Captured, "1" is the key 1 (code 2); a bare number the user cannot have captured is not a
    // code.
    EXPECT_EQ(vba::get_emu_name("1", "1\r", true), "2");
    EXPECT_EQ(vba::get_emu_name("55", "203", true), "0");
    // A row that was never loaded has no value to keep: its name is converted.
    EXPECT_EQ(vba::get_emu_name("Left", "", false), "203");
    // A joystick name that cannot be read keeps the row's value.
    EXPECT_EQ(vba::get_emu_name("Joystick 10 Button 1", "2689\r", false), "2689");
    EXPECT_EQ(vba::get_emu_name("Joystick", "300", false), "300");
    EXPECT_EQ(vba::get_std_name("2689"), "Joystick 10 Button 1");
}

TEST(VbaCodec, ParseStopsAtTheFirstMissingLineInFileOrder) {
    std::string text = numbered_file(94);
    auto full = vba::parse(text);
    EXPECT_TRUE(full.complete);
    EXPECT_EQ(*full.values[0], "83\r");  // Up
    EXPECT_EQ(*full.values[1], "87\r");  // Down
    EXPECT_EQ(*full.values[4], "93\r");  // Select
    // 85 lines: Left, Right and Up (lines 81 to 83) are there, Down (87) is not.
    auto cut = vba::parse(numbered_file(85));
    EXPECT_FALSE(cut.complete);
    EXPECT_TRUE(cut.values[2] && cut.values[3] && cut.values[0]);
    for (int r : {1, 4, 5, 6, 7, 8, 9}) EXPECT_FALSE(cut.values[static_cast<std::size_t>(r)]);
}

TEST(VbaCodec, RewriteChangesTheTenLinesOnly) {
    std::string text = numbered_file(100);
    // The last line without a line feed, an odd line with a bare LF.
    text += "tail without line feed";
    text.replace(text.find("line50=50\r\n"), 11, "line50=50\n");
    auto v = values_of("0");
    v[2] = "203";
    v[9] = "642";
    auto out = vba::rewrite(text, v);
    ASSERT_TRUE(out);
    auto before = split_lines(text);
    auto after = split_lines(*out);
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (i == 81) {
            EXPECT_EQ(after[i], "Joy0_Left=203\r\n");
        } else if (i == 91) {
            EXPECT_EQ(after[i], "Joy0_R=642\r\n");
        } else if ((i >= 81 && i <= 83) || (i >= 87 && i <= 93)) {
            EXPECT_EQ(after[i].substr(after[i].size() - 4), "=0\r\n") << i;
        } else {
            EXPECT_EQ(after[i], before[i]) << i;
        }
    }
    EXPECT_EQ(vba::rewrite(numbered_file(93), v), std::nullopt);
    // Line 93 is the last and has no line feed: it is still rewritten, ending in CR LF.
    std::string exact = numbered_file(93) + "Joy0_Select=1";
    auto rewritten = vba::rewrite(exact, v);
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(rewritten->substr(rewritten->size() - 15), "Joy0_Select=0\r\n");
}

}  // namespace
}  // namespace rx
