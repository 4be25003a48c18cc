// The ZSNES codec: joystick arithmetic both ways, keys walked in file order, the "plNcontrl"
// switch and the lines around it, and the saves that must write nothing.
#include "emulators/zsnes_settings.h"

#include <gtest/gtest.h>

#include "emulators/settings_lines.h"
#include "tests/emulators/codec_fixtures.h"

namespace {

using rx::binding;
using rx::input;
namespace zsnes = rx::zsnes;

std::vector<binding> loaded(const std::string& text) {
    std::vector<binding> records;
    EXPECT_TRUE(zsnes::load(text, records).ok);
    return records;
}

TEST(ZsnesInputs, JoystickArithmeticBothWays) {
    const std::pair<const char*, const char*> loaded[] = {
        {"305", "Joystick 2 Button 1"},
        {"273", "Joystick 1 Button 1"},
        {"291\r", "Joystick 2 axis 1 dir 0"},
        {"256", "Joystick 1 axis 0 dir 1"},
        {"259", "Joystick 1 axis 1 dir 0"},
        {"0", "0"},
        {"200", "Up"},
        {"544", "544"}};  // past the ninth joystick
    for (const auto& [value, name] : loaded) EXPECT_EQ(input_name(zsnes::input_of(value)), name);
    // A hat direction is stored as the stick direction it matches.
    const std::pair<input, int> stored[] = {{input::pov(1, rx::hat_direction::up), 259},
                                            {input::pov(1, rx::hat_direction::right), 256},
                                            {input::pov(2, rx::hat_direction::left), 289},
                                            {input::pov(2, rx::hat_direction::down), 290},
                                            {input::button(3, 2), 338},
                                            {input::key(29), 29}};
    for (const auto& [bound, value] : stored) EXPECT_EQ(zsnes::value_of(bound), value);
    for (int code = 256; code < 256 + 9 * 32; ++code)
        ASSERT_EQ(zsnes::value_of(zsnes::joy_input(code)), code) << code;
    for (const input& unstorable :
         {input::axis(4, 3, true), input::button(10, 1), input::button(0, 1), input{},
          input::value(544), input::joystick_only(1)})
        EXPECT_FALSE(zsnes::value_of(unstorable).has_value()) << input_name(unstorable);
}

TEST(ZsnesInputs, ButtonsBeyondFifteenAreNotStoredAsAnotherJoysticksAxis) {
    // 16 codes per joystick hold buttons 0 to 15; button 16 would be joystick 2's axis 0.
    EXPECT_EQ(zsnes::value_of(input::button(1, 15)), 287);
    EXPECT_FALSE(zsnes::value_of(input::button(1, 16)).has_value());
    EXPECT_FALSE(zsnes::value_of(input::button(9, 31)).has_value());

    const std::string text = rx::join_lines(rx::test::zsnes_lines("pl1contrl=1"));
    auto records = loaded(text);
    rx::test::capture(records[0], input::button(1, 16));
    auto save = zsnes::save(text, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(save.bytes, text);
    EXPECT_EQ(save.emu[0], "200\r");
    EXPECT_EQ(save.unsaved,
              std::vector<std::string>{"Failure storing Joystick 1 Button 16 - save_settings"});
}

TEST(ZsnesLoad, KeysInFileOrderFillScreenOrder) {
    auto records = loaded(rx::join_lines(rx::test::zsnes_lines()));
    ASSERT_EQ(records.size(), 24u);
    EXPECT_EQ(records[0].id, input::key(200));
    EXPECT_EQ(records[0].emu, "200\r");
    EXPECT_EQ(records[4].id, input::key(54));  // Select
    EXPECT_EQ(records[7].id, input::key(44));  // B
    EXPECT_EQ(records[12].id, input::axis(1, 1, false));
    EXPECT_EQ(records[18].id, input::button(2, 1));  // player 2 A
    EXPECT_EQ(records[19].id, input::key(0));        // player 2 B
}

TEST(ZsnesLoad, MissingOrMisorderedKeyStopsKeepingWhatCameBefore) {
    auto lines = rx::test::zsnes_lines();
    lines[31] = "pl1Ykk\r\n";  // pl1Yk has no "=" on its line
    const binding old{input::key(1), "old"};
    std::vector<binding> records(24, old);
    EXPECT_FALSE(zsnes::load(rx::join_lines(lines), records).ok);
    EXPECT_EQ(records[10].id, input::key(30));  // pl1Lk, just before it
    EXPECT_EQ(records[9].id, old.id);           // Y
    EXPECT_EQ(records[7].id, old.id);           // B, after it in the file
    EXPECT_EQ(records[12].emu, "old");

    lines = rx::test::zsnes_lines();
    std::swap(lines[22], lines[24]);  // pl1upk before pl1selk
    records.assign(24, old);
    EXPECT_FALSE(zsnes::load(rx::join_lines(lines), records).ok);
    EXPECT_EQ(records[4].emu, "54\r");  // selk, found after upk
    EXPECT_EQ(records[5].emu, "old");   // startk lies before selk now
}

TEST(ZsnesLoad, AKeyNamedEarlierDoesNotHideTheLineASaveWrites) {
    auto lines = rx::test::zsnes_lines();
    lines[39] = "; pl2selk=1 was the old select\r\n";  // before player 2's block
    const std::string text = rx::join_lines(lines);
    auto records = loaded(text);
    EXPECT_EQ(records[16].emu, "296\r");  // the pl2selk line itself
    auto save = zsnes::save(text, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(rx::split_lines(save.bytes)[42], "pl2selk=296\r\n");
    EXPECT_EQ(save.bytes.substr(0, 20), text.substr(0, 20));
}

TEST(ZsnesSave, UnchangedBigFileComesBackByteIdenticalAndSwitchesContrlOn) {
    const std::string text = rx::test::padded(rx::test::zsnes_lines("pl1contrl=1"), 5000);
    ASSERT_GT(text.size(), 4096u);
    auto records = loaded(text);
    auto save = zsnes::save(text, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(save.bytes, text);

    const std::string off = rx::test::padded(rx::test::zsnes_lines("pl1contrl=0"), 5000);
    save = zsnes::save(off, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(save.bytes, text);  // only the switch moved
}

TEST(ZsnesSave, OneCaptureChangesItsLineAndTheLineAfterContrlSurvives) {
    const std::string text = rx::join_lines(rx::test::zsnes_lines("pl1contrl=1"));
    auto records = loaded(text);
    rx::test::capture(records[12 + 11], input::button(3, 2));  // player 2 R
    auto save = zsnes::save(text, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(rx::test::changed_lines(text, save.bytes), (std::vector<std::size_t>{53}));
    auto lines = rx::split_lines(save.bytes);
    EXPECT_EQ(lines[53], "pl2Rk=338\r\n");
    EXPECT_EQ(lines[21], "pl1keybd=1\r\n");
    EXPECT_EQ(lines[41], "pl2keybd=0\r\n");
    EXPECT_EQ(save.emu[23], "338");
}

TEST(ZsnesSave, ARowNeverReadKeepsItsLineAndZeroStaysZero) {
    const std::string text = rx::join_lines(rx::test::zsnes_lines("pl1contrl=1"));
    auto records = loaded(text);
    records[1] = binding{};  // player 1 Down, never read
    auto save = zsnes::save(text, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(save.bytes, text);
    // Player 2's B holds 0, shown as "0", which is also the name of the key 0 (code 11): an
    // untouched row must not turn into it.
    records = loaded(text);
    EXPECT_EQ(shown_name(records[19]), "0");
    EXPECT_EQ(zsnes::save(text, records).bytes, text);
}

TEST(ZsnesSave, UntouchedKeypadEnterKeepsItsCode) {
    auto lines = rx::test::zsnes_lines("pl1contrl=1");
    lines[23] = "pl1startk=156\r\n";  // keypad Enter, shown as Enter
    const std::string text = rx::join_lines(lines);
    auto records = loaded(text);
    EXPECT_EQ(shown_name(records[5]), "Enter");
    auto save = zsnes::save(text, records);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(save.bytes, text);
    rx::test::capture(records[5], input::key(28));
    EXPECT_EQ(rx::split_lines(zsnes::save(text, records).bytes)[23], "pl1startk=28\r\n");
}

TEST(ZsnesSave, PlayerTwosSwitchOnPlayerOnesLastKeyLineIsRefused) {
    // Every key stands where the positions say, but player 2's block starts on pl1Rk's line:
    // writing "pl2contrl=1" there would lose player 1's R.
    auto lines = rx::test::zsnes_lines("pl1contrl=1");
    std::vector<std::string> overlapping(lines.begin(), lines.begin() + 33);
    overlapping.push_back("pl1Rk=46 ; pl2contrl\r\n");
    for (std::size_t i = 41; i < lines.size(); ++i) overlapping.push_back(lines[i]);
    const std::string text = rx::join_lines(overlapping);
    ASSERT_EQ(rx::split_lines(text)[46].substr(0, 6), "pl2Rk=");
    std::vector<binding> records;
    ASSERT_TRUE(zsnes::load(text, records).ok);
    auto save = zsnes::save(text, records);
    EXPECT_FALSE(save.written);
    EXPECT_EQ(save.error, "Failed to save controls - snes");
}

TEST(ZsnesSave, LayoutsThatPositionsWouldDamageWriteNothing) {
    auto records = loaded(rx::join_lines(rx::test::zsnes_lines()));
    auto refuse = [&](const std::vector<std::string>& lines, const std::string& error) {
        auto save = zsnes::save(rx::join_lines(lines), records);
        EXPECT_FALSE(save.written);
        EXPECT_EQ(save.error, error);
    };
    auto lines = rx::test::zsnes_lines();
    lines[40] = "; player 2 gone\r\n";
    refuse(lines, "Failed to save controls - snes");
    lines = rx::test::zsnes_lines();
    lines[20] = "; player 1 gone\r\n";
    refuse(lines, "Failed to save controls - snes");
    lines = rx::test::zsnes_lines();
    lines.resize(53);  // pl2Rk, 13 after pl2contrl, is missing
    refuse(lines, rx::missing_line_text);
    lines = rx::test::zsnes_lines();
    lines[30] = "pl1Bk=44\r\n";  // the keys are not where the positions say
    lines[33] = "pl1Yk=32\r\n";
    refuse(lines, "Failed to save controls - snes");
    lines = rx::test::zsnes_lines();
    lines[40] = "; moved\r\n";
    lines[28] = "pl2contrl=1\r\n";  // player 2's block inside player 1's
    refuse(lines, "Failed to save controls - snes");
}

}  // namespace
