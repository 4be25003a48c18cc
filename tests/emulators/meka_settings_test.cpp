// The MEKA codec: sections and their order, joystick names both ways, fixed-line rewrites and the
// checks that keep an unexpected file whole.
#include "emulators/meka_settings.h"

#include <gtest/gtest.h>

#include "emulators/settings_lines.h"
#include "tests/emulators/codec_fixtures.h"

namespace {

using rx::binding;
using rx::hat_direction;
using rx::input;
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
        // Keys are kept by name, the line's carriage return after it.
        EXPECT_EQ(records[0].id, input::key(200));
        EXPECT_EQ(records[6].emu, "Enter\r");
        EXPECT_EQ(records[6].id, input::key(28));
        EXPECT_EQ(records[7].emu, "joy stick 0 axis 1 dir 0");
        EXPECT_EQ(records[7].id, input::axis(1, 1, false));
        EXPECT_EQ(records[13].id, input::button(1, 9));
        EXPECT_EQ(records[14].id, input::key(72));  // "8 (Pad)"
        EXPECT_EQ(records[21].id, input::pov(2, hat_direction::up));
        EXPECT_EQ(records[23].id, input::pov(2, hat_direction::left));
        EXPECT_EQ(records[27].id, input::button(2, 11));
    }
}

TEST(MekaLoad, MissingOrMisplacedSectionChangesNothingAndSaysSo) {
    auto broken = rx::join_lines(rx::test::meka_lines(mouse_at::inside));
    auto no_joypad2 = rx::join_lines(rx::test::meka_lines());
    no_joypad2.replace(no_joypad2.find("[Joypad 2]"), 10, "[Joypad 3]");
    auto swapped = rx::join_lines(rx::test::meka_lines());
    swapped.replace(swapped.find("[Keyboard 2]"), 12, "[Keyboard 9]");
    swapped.replace(swapped.find("[Joypad 2]"), 10, "[Keyboard 2]");
    const binding kept{input::key(2), "kept"};
    for (const auto& text : {broken, no_joypad2, swapped}) {
        std::vector<binding> records(28, kept);
        auto outcome = meka::load(text, records);
        EXPECT_EQ(outcome.status, meka::load_status::no_section);
        EXPECT_EQ(outcome.error, "invalid string position");
        for (const auto& record : records) EXPECT_EQ(record.emu, "kept");
    }
    std::vector<binding> records(28, kept);
    auto outcome = meka::load("", records);
    EXPECT_EQ(outcome.status, meka::load_status::empty_file);
    EXPECT_EQ(outcome.error, "Failed to load controls - colecovision");
    EXPECT_EQ(records[3].emu, "kept");
    meka::load_missing_file(records);
    ASSERT_EQ(records.size(), 28u);
    EXPECT_TRUE(records[3].emu.empty() && records[3].id == input{});
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

TEST(MekaInputs, JoystickTextsBothWaysWithoutReadingPastShortTexts) {
    const std::pair<const char*, input> read[] = {
        {"joy_button 3\r", input::button(1, 3)},
        {"joy stick 2 axis 0 dir 1", input::pov(1, hat_direction::right)},
        {"joy stick 0 axis 0 dir 1\r", input::axis(1, 0, true)},
        {"", input{}},
        {"joy_button", input::button(1, 0)},
        {"joy stick 2", input::joystick_only(1)},
        {"joy stick 0", input::joystick_only(1)},
        {"joy stick 2 axis 3", input::joystick_only(1)},
        {"joy stick 0 axis 1 dir 2", input::joystick_only(1)}};
    for (const auto& [value, id] : read)
        EXPECT_EQ(meka::joy_input(value, 1), id) << value << " reads as " << input_name(id);
    EXPECT_EQ(meka::key_input("Left Ctrl\r"), input::key(29));
    EXPECT_EQ(meka::key_input("Scroll Lock"), input{});

    const std::pair<input, const char*> written[] = {
        {input::button(1, 3), " joy_button 3"},
        {input::axis(2, 1, true), " joy stick 0 axis 1 dir 1"},
        {input::pov(1, hat_direction::up), " joy stick 2 axis 1 dir 0"},
        {input::pov(1, hat_direction::down), " joy stick 2 axis 1 dir 1"},
        {input::pov(1, hat_direction::left), " joy stick 2 axis 0 dir 0"},
        {input::pov(1, hat_direction::right), " joy stick 2 axis 0 dir 1"},
        {input{}, ""},
        {input::button(12, 3), ""},
        {input::joystick_only(1), ""},
        {input::key(30), ""}};
    for (const auto& [id, value] : written) EXPECT_EQ(meka::joy_value(id), value) << input_name(id);
}

TEST(MekaSave, UnchangedBigFileComesBackByteIdentical) {
    for (mouse_at mouse : {mouse_at::before, mouse_at::after}) {
        const std::string text = rx::test::padded(rx::test::meka_lines(mouse), 21000);
        ASSERT_GT(text.size(), 20480u);
        auto records = loaded(text);
        auto save = meka::save(text, records);
        ASSERT_TRUE(save.written);
        EXPECT_EQ(save.bytes, text);
        EXPECT_EQ(save.emu[7], "joy stick 0 axis 1 dir 0");  // kept as loaded
        EXPECT_EQ(save.emu[0], "Up\r");
    }
}

TEST(MekaSave, CapturedRowsChangeExactlyTheirLines) {
    const std::string text = rx::test::padded(rx::test::meka_lines(), 1000);
    auto records = loaded(text);
    rx::test::capture(records[7 + 1], input::axis(1, 1, true));  // player 1 Down, joystick
    rx::test::capture(records[4], input::key(57));               // player 1 Button 1, Space
    rx::test::capture(records[21 + 4], input::button(2, 3));     // player 2 Button 1, joystick
    rx::test::capture(records[21 + 3], input::pov(2, hat_direction::left));  // player 2 Right
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

TEST(MekaSave, UntouchedRowsKeepTheirLinesWhateverTheyHold) {
    auto lines = rx::test::meka_lines();
    lines[89] = "player_up = joy stick 1 axis 0 dir 0\r\n";     // stick 1 would become stick 0
    lines[93] = "player_button1 = joy stick 0 axis 0 dir 1\n";  // a button on a stick direction
    lines[94] = "player_button2 = joy_button 03\n";
    lines[102] = "player_up = joy stick 2 axis 2 dir 0\n";  // no hat direction of ours
    lines[65] = "player_left = key Scroll Lock\r\n";        // a key name of no code of ours
    lines[64] = "player_down = key  Down\r\n";              // one blank too many
    const std::string text = rx::join_lines(lines);
    auto records = loaded(text);
    EXPECT_EQ(shown_name(records[11]), "");
    EXPECT_EQ(shown_name(records[21]), "Joystick 2 ");
    EXPECT_EQ(shown_name(records[2]), "");
    auto save = meka::save(text, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(save.bytes, text);
    EXPECT_EQ(save.emu[7], "joy stick 1 axis 0 dir 0\r");

    // A name no capture could give keeps the line; a real capture replaces it.
    rx::test::capture(records[7], input::button(12, 1));
    rx::test::capture(records[11], input::button(1, 4));
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
    rx::test::capture(records[0], input::key(17));
    auto save = meka::save(text, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(save.bytes.substr(save.bytes.size() - 23), "trailing = no line feed");
    EXPECT_EQ(rx::split_lines(save.bytes)[63], "player_up = key W\n");
}

}  // namespace
