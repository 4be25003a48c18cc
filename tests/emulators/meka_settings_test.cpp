// The MEKA codec: sections and their order, joystick names both ways, fixed-line rewrites and the
// checks that keep an unexpected file whole.
#include "emulators/meka_settings.h"

#include <gtest/gtest.h>

#include "emulators/settings_lines.h"
#include "tests/emulators/codec_fixtures.h"

namespace {

using rx::binding;
using rx::test::mouse_at;
namespace meka = rx::meka;

std::vector<binding> loaded(const std::string& text) {
    std::vector<binding> records;
    EXPECT_EQ(meka::load(text, records).status, meka::load_status::loaded);
    return records;
}

TEST(MekaLoad, MouseBeforeOrAfterLoadsAllFourSections) {
    for (mouse_at mouse : {mouse_at::before, mouse_at::after}) {
        auto records = loaded(rx::join_lines(rx::test::meka_lines(mouse)));
        ASSERT_EQ(records.size(), 28u);
        EXPECT_EQ(records[0].shown, "Up\r");  // keyboard names are the file's text, CR and all
        EXPECT_EQ(records[6].emu, "Enter\r");
        EXPECT_EQ(records[7].emu, "joy stick 0 axis 1 dir 0");
        EXPECT_EQ(records[7].shown, "Joystick 1 axis 1 dir 0");
        EXPECT_EQ(records[13].shown, "Joystick 1 Button 9");
        EXPECT_EQ(records[14].shown, "8 (Pad)\r");
        EXPECT_EQ(records[21].shown, "Joystick 2 POV Up");
        EXPECT_EQ(records[23].shown, "Joystick 2 POV Left");
        EXPECT_EQ(records[27].shown, "Joystick 2 Button 11");
    }
}

TEST(MekaLoad, MissingOrMisplacedSectionChangesNothingAndSaysSo) {
    auto broken = rx::join_lines(rx::test::meka_lines(mouse_at::inside));
    auto no_joypad2 = rx::join_lines(rx::test::meka_lines());
    no_joypad2.replace(no_joypad2.find("[Joypad 2]"), 10, "[Joypad 3]");
    auto swapped = rx::join_lines(rx::test::meka_lines());
    swapped.replace(swapped.find("[Keyboard 2]"), 12, "[Keyboard 9]");
    swapped.replace(swapped.find("[Joypad 2]"), 10, "[Keyboard 2]");
    for (const auto& text : {broken, no_joypad2, swapped}) {
        std::vector<binding> records(28, binding{"kept", "kept"});
        auto outcome = meka::load(text, records);
        EXPECT_EQ(outcome.status, meka::load_status::no_section);
        EXPECT_EQ(outcome.error, "invalid string position");
        for (const auto& record : records) EXPECT_EQ(record.shown, "kept");
    }
    std::vector<binding> records(28, binding{"kept", "kept"});
    auto outcome = meka::load("", records);
    EXPECT_EQ(outcome.status, meka::load_status::empty_file);
    EXPECT_EQ(outcome.error, "Failed to load controls - colecovision");
    EXPECT_EQ(records[3].emu, "kept");
    meka::load_missing_file(records);
    ASSERT_EQ(records.size(), 28u);
    EXPECT_TRUE(records[3].emu.empty() && records[3].shown.empty());
}

TEST(MekaLoad, ValuesStayOnTheirKeysLine) {
    EXPECT_EQ(meka::parse_line("player_up", "player_up = \nplayer_down = key Down\n", "key"), "");
    EXPECT_EQ(meka::parse_line("player_up", "player_up = key", "key"), "");
    EXPECT_EQ(meka::parse_line("player_up", "player_up = key X", "key"), "X");
    EXPECT_EQ(meka::parse_line("player_up", "", "joy stick"), "");
    EXPECT_EQ(
        meka::parse_line("player_left", "player_left = joy stick 2 axis 0 dir 0\r\n", "joy stick"),
        "joy stick 2 axis 0 dir 0\r");
}

TEST(MekaNames, JoystickNamesBothWaysWithoutReadingPastShortTexts) {
    EXPECT_EQ(meka::get_joy_std_name("joy_button 3\r", 1), "Joystick 1 Button 3");
    EXPECT_EQ(meka::get_joy_std_name("joy stick 2 axis 0 dir 1", 2), "Joystick 2 POV Right");
    EXPECT_EQ(meka::get_joy_std_name("joy stick 0 axis 0 dir 1\r", 2), "Joystick 2 axis 0 dir 1\r");
    EXPECT_EQ(meka::get_joy_std_name("", 1), "");
    EXPECT_EQ(meka::get_joy_std_name("joy_button", 1), "Joystick 1 Button 0");
    EXPECT_EQ(meka::get_joy_std_name("joy stick 2", 1), "Joystick 1 Unknown");
    EXPECT_EQ(meka::get_joy_std_name("joy stick 0", 1), "Joystick 1 Unknown");
    EXPECT_EQ(meka::get_joy_std_name("joy stick 2 axis 3", 1), "Joystick 1 Unknown");

    EXPECT_EQ(meka::get_joy_emu_name("Joystick 1 Button 3"), " joy_button 3");
    EXPECT_EQ(meka::get_joy_emu_name("Joystick 2 axis 1 dir 1"), " joy stick 0 axis 1 dir 1");
    EXPECT_EQ(meka::get_joy_emu_name("Joystick 1 POV Up"), " joy stick 2 axis 1 dir 0");
    EXPECT_EQ(meka::get_joy_emu_name("Joystick 1 POV Down"), " joy stick 2 axis 1 dir 1");
    EXPECT_EQ(meka::get_joy_emu_name("Joystick 1 POV Left"), " joy stick 2 axis 0 dir 0");
    EXPECT_EQ(meka::get_joy_emu_name("Joystick 1 POV Right"), " joy stick 2 axis 0 dir 1");
    for (const char* broken : {"", "Button", "Joystick 1 Button", "Joystick 12 Button 3",
                               "Joystick 1 POV Sideways", "Joystick 1 Unknown"})
        EXPECT_EQ(meka::get_joy_emu_name(broken), "") << broken;
}

TEST(MekaSave, UnchangedBigFileComesBackByteIdentical) {
    for (mouse_at mouse : {mouse_at::before, mouse_at::after}) {
        const std::string text = rx::test::padded(rx::test::meka_lines(mouse), 21000);
        ASSERT_GT(text.size(), 20480u);
        auto records = loaded(text);
        auto save = meka::save(text, records);
        ASSERT_TRUE(save.written);
        EXPECT_EQ(save.bytes, text);
        EXPECT_EQ(save.emu[7], " joy stick 0 axis 1 dir 0");
        EXPECT_EQ(save.emu[0], "Up\r");
    }
}

TEST(MekaSave, CapturedRowsChangeExactlyTheirLines) {
    const std::string text = rx::test::padded(rx::test::meka_lines(), 1000);
    auto records = loaded(text);
    rx::test::capture(records[7 + 1], "Joystick 1 axis 1 dir 1");  // player 1 Down, joystick
    rx::test::capture(records[4], "Space");                        // player 1 Button 1, keyboard
    rx::test::capture(records[21 + 4], "Joystick 2 Button 3");     // player 2 Button 1, joystick
    rx::test::capture(records[21 + 3], "Joystick 2 POV Left");     // player 2 Right, joystick
    auto save = meka::save(text, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(rx::test::changed_lines(text, save.bytes),
              (std::vector<std::size_t>{67, 90, 105, 106}));
    auto lines = rx::split_lines(save.bytes);
    EXPECT_EQ(lines[90], "player_down = joy stick 0 axis 1 dir 1\n");
    EXPECT_EQ(lines[67], "player_button1 = key Space\n");
    EXPECT_EQ(lines[106], "player_button1 = joy_button 3\n");
    EXPECT_EQ(lines[105], "player_right = joy stick 2 axis 0 dir 0\n");
}

TEST(MekaSave, UntouchedRowsTheFileCannotSayAgainKeepTheirLines) {
    auto lines = rx::test::meka_lines();
    lines[89] = "player_up = joy stick 1 axis 0 dir 0\r\n";     // stick 1 would become stick 0
    lines[93] = "player_button1 = joy stick 0 axis 0 dir 1\n";  // a button on a stick direction
    lines[94] = "player_button2 = joy_button 03\n";
    lines[102] = "player_up = joy stick 2 axis 2 dir 0\n";  // no hat direction of ours
    const std::string text = rx::join_lines(lines);
    auto records = loaded(text);
    EXPECT_EQ(records[11].shown, "");
    EXPECT_EQ(records[21].shown, "Joystick 2 Unknown");
    auto save = meka::save(text, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(save.bytes, text);
    EXPECT_EQ(save.emu[7], "joy stick 1 axis 0 dir 0\r");

    // A name no capture could give keeps the line; a real capture replaces it.
    rx::test::capture(records[7], "Joystick 12 Button 1");
    rx::test::capture(records[11], "Joystick 1 Button 4");
    save = meka::save(text, records);
    EXPECT_EQ(rx::test::changed_lines(text, save.bytes), (std::vector<std::size_t>{93}));
}

TEST(MekaSave, UnexpectedFixedLinesWriteNothing) {
    const auto good = rx::test::meka_lines();
    auto records = loaded(rx::join_lines(good));
    struct bad_case {
        std::size_t line;
        const char* text;
    };
    for (const auto& bad : std::vector<bad_case>{{65, "player_left = Left\r\n"},
                                                 {66, "player_right = key\r\n"},
                                                 {69, "player_start_pause = key"},
                                                 {95, "player_start_pause joy_button 9\n"},
                                                 {108, "; start went missing = yes\n"},
                                                 {76, "player_down = key Up\r\n"}}) {
        auto lines = good;
        lines[bad.line] = bad.text;
        auto save = meka::save(rx::join_lines(lines), records);
        EXPECT_FALSE(save.written) << bad.line;
        EXPECT_EQ(save.error, "Failed to save controls - colecovision") << bad.line;
    }
    auto lines = good;
    lines.resize(108);
    auto save = meka::save(rx::join_lines(lines), records);
    EXPECT_FALSE(save.written);
    EXPECT_EQ(save.error, rx::missing_line_text);
}

TEST(MekaSave, LastLineWithoutLineFeedIsKept) {
    auto lines = rx::test::meka_lines();
    lines.push_back("trailing = no line feed");
    const std::string text = rx::join_lines(lines);
    auto records = loaded(text);
    rx::test::capture(records[0], "W");
    auto save = meka::save(text, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(save.bytes.substr(save.bytes.size() - 23), "trailing = no line feed");
    EXPECT_EQ(rx::split_lines(save.bytes)[63], "player_up = key W\n");
}

}  // namespace
