// The Gens codec: names both ways, the "[Input]" base, unchanged and edited saves, refusals.
#include "emulators/gens_settings.h"

#include <gtest/gtest.h>

#include "emulators/settings_lines.h"
#include "tests/emulators/codec_fixtures.h"

namespace {

using rx::binding;
using rx::input;
namespace gens = rx::gens;

std::vector<binding> loaded(const std::string& text) {
    std::vector<binding> records;
    EXPECT_TRUE(gens::load(text, records).ok);
    return records;
}

TEST(GensInputs, KeysJoysticksAndEveryJoystickCodeComeBack) {
    const std::pair<const char*, const char*> loaded[] = {
        {"200\r", "Up"},
        {"4097", "Joystick 1 axis 1 dir 0"},
        {"4113", "Joystick 1 Button 1"},
        {"4481", "Joystick 2 POV Up"},
        {"4096", "Joystick 1 Button -16"},
        {"300", "300"},    // between the keys and the joysticks
        {"6400", "6400"},  // a tenth joystick
        {"99999999999999999999", "999999999"}};
    for (const auto& [value, name] : loaded) EXPECT_EQ(input_name(gens::input_of(value)), name);
    const std::pair<input, int> stored[] = {
        {input::button(1, -16), 4096},
        {input::pov(3, rx::hat_direction::left), 4096 + 512 + 132},
        {input::axis(9, 0, true), 4096 + 8 * 256 + 4},
        {input::key(200), 200}};
    for (const auto& [bound, value] : stored) EXPECT_EQ(gens::value_of(bound), value);
    for (int code = 4096; code < 4096 + 9 * 256; ++code)
        ASSERT_EQ(gens::value_of(gens::joy_input(code)), code) << code;
    // Joysticks the values cannot number, and inputs that are no joystick's.
    for (const input& unstorable : {input::button(0, 1), input::button(12, 3), input::value(300),
                                    input::joystick_only(1), input::axis(1, 2, true), input{}})
        EXPECT_FALSE(gens::value_of(unstorable).has_value()) << input_name(unstorable);
}

TEST(GensInputs, ButtonsThatWouldReadBackAsAnotherInputAreNotStored) {
    // Button n is code 16 + n; 113 to 116 would be the hat's codes and 240 up the next joystick.
    EXPECT_EQ(gens::value_of(input::button(1, 112)), 4096 + 128);
    EXPECT_EQ(gens::value_of(input::button(1, 117)), 4096 + 133);
    EXPECT_EQ(gens::value_of(input::button(1, 239)), 4096 + 255);
    for (const input& unstorable : {input::button(1, 113), input::button(1, 116),
                                    input::button(2, 240), input::button(1, -15)})
        EXPECT_FALSE(gens::value_of(unstorable).has_value()) << input_name(unstorable);

    const std::string text = rx::join_lines(rx::test::gens_lines());
    auto records = loaded(text);
    rx::test::capture(records[0], input::button(1, 113));
    rx::test::capture(records[1], input::button(1, 2));
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
    EXPECT_EQ(records[0].id, input::key(200));
    EXPECT_EQ(records[0].emu, "200\r");
    EXPECT_EQ(records[7].emu, "32\r");  // C at offset 9
    EXPECT_EQ(records[8].emu, "16\r");  // X at offset 11: offset 10 is skipped
    EXPECT_EQ(records[11].id, input::axis(1, 1, false));
    EXPECT_EQ(records[17].id, input::pov(2, rx::hat_direction::up));
    EXPECT_EQ(records[21].id, input::button(1, 3));

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
    const binding old{input::key(1), "old"};
    std::vector<binding> records(22, old);
    auto result = gens::load(rx::join_lines(lines), records);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, rx::missing_line_text);
    EXPECT_EQ(records[17].id, input::pov(2, rx::hat_direction::up));
    EXPECT_EQ(records[18].id, old.id);
    EXPECT_EQ(records[21].emu, "old");
    EXPECT_FALSE(gens::load("", records).ok);
    EXPECT_EQ(records[0].id, input::key(200));
}

TEST(GensSave, UnchangedBigFileComesBackByteIdentical) {
    const std::string text = rx::test::padded(rx::test::gens_lines(30, true), 6000);
    ASSERT_GT(text.size(), 4096u);
    auto records = loaded(text);
    auto save = gens::save(text, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(save.bytes, text);
    ASSERT_EQ(save.emu.size(), 22u);
    EXPECT_EQ(save.emu[0], "200\r");
    EXPECT_EQ(save.emu[21], "4115\r");
}

TEST(GensSave, EditsOfBothPlayersChangeExactlyTheirLines) {
    const std::string text = rx::test::padded(rx::test::gens_lines(), 5000);
    auto records = loaded(text);
    rx::test::capture(records[2], input::button(2, 5));    // player 1 Left
    rx::test::capture(records[11 + 10], input::key(157));  // player 2 Z, Right Ctrl
    auto save = gens::save(text, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(rx::test::changed_lines(text, save.bytes), (std::vector<std::size_t>{34, 95}));
    auto lines = rx::split_lines(save.bytes);
    EXPECT_EQ(lines[34], "P1.Left=4373\r\n");
    EXPECT_EQ(lines[95], "P2.Z=157\r\n");
    EXPECT_EQ(save.emu[2], "4373");
}

TEST(GensSave, UntouchedRowsKeepTheirLinesWhateverTheyHold) {
    auto lines = rx::test::gens_lines();
    lines[32] = "P1.Up=300\r\n";      // between the keys and 4096
    lines[33] = "P1.Down=55\n";       // a key without a name
    lines[34] = "P1.Left=0\r\n";      // no key, shown as "0", the name of the key 0
    lines[35] = "P1.Right=156\r\n";   // keypad Enter: shown as Enter
    lines[36] = "P1.Start=6700\r\n";  // a tenth joystick
    lines[37] = "P1.A=0030\r\n";      // a key written with a leading zero
    const std::string text = rx::join_lines(lines);
    auto records = loaded(text);
    EXPECT_EQ(shown_name(records[1]), "55");
    EXPECT_EQ(shown_name(records[3]), "Enter");
    auto save = gens::save(text, records);
    ASSERT_TRUE(save.written);
    // Saving without touching a row never changes its binding.
    EXPECT_EQ(save.bytes, text);
    EXPECT_EQ(save.emu[0], "300\r");

    // Once the user captures something else the row is written like any other.
    rx::test::capture(records[1], input::key(156));
    rx::test::capture(records[0], input::key(16));
    rx::test::capture(records[2], input::key(11));  // the key 0, captured over a loaded 0
    save = gens::save(text, records);
    lines = rx::split_lines(save.bytes);
    EXPECT_EQ(lines[32], "P1.Up=16\r\n");
    EXPECT_EQ(lines[33], "P1.Down=156\r\n");
    EXPECT_EQ(lines[34], "P1.Left=11\r\n");
}

TEST(GensSave, FileTooShortForPlayerTwoWritesNothing) {
    auto lines = rx::test::gens_lines();
    lines.resize(30 + 65);  // one line short of player 2's Z
    const std::string text = rx::join_lines(lines);
    std::vector<binding> records(22, binding{input::key(200), "200", true});
    auto save = gens::save(text, records);
    EXPECT_FALSE(save.written);
    EXPECT_EQ(save.error, rx::missing_line_text);
    EXPECT_TRUE(save.bytes.empty());
    EXPECT_FALSE(gens::save("", records).written);
}

}  // namespace
