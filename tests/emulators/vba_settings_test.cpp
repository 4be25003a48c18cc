// The vba.ini codec: values to inputs and back, and the fixed-line rewrite.
#include "emulators/vba_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "emulators/binding_codec.h"
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

// A row as a load (or a capture, when `captured`) leaves it.
binding row(input id, const char* loaded, bool captured) {
    return binding{id, loaded, captured};
}

TEST(VbaCodec, ValuesAndTheirInputs) {
    EXPECT_EQ(vba::get_control("Joy0_Left=203\r\n"), "203\r");
    EXPECT_EQ(vba::get_control("Joy0_Left=a=b\n"), "a=b");
    EXPECT_EQ(vba::get_control("no equals\n"), "");
    const std::pair<const char*, input> read[] = {
        {"203\r", input::key(203)},
        {"156", input::key(156)},
        {"55", input::key(55)},
        {"256", input::axis(1, 0, false)},
        {"259", input::axis(1, 1, true)},
        {"291", input::pov(1, hat_direction::left)},
        {"288", input::pov(1, hat_direction::up)},
        {"387", input::button(1, 3)},
        {"642\r", input::button(2, 2)},
        {"260", input::joystick_only(1)},
        {"2689", input::value(2689)}};  // a tenth joystick
    for (const auto& [value, id] : read)
        EXPECT_EQ(vba::input_of(value), id) << value << " should read as " << input_name(id);
    EXPECT_EQ(input_name(vba::input_of("156")), "Enter");
    EXPECT_EQ(input_name(vba::input_of("260")), "Joystick 1 ");
}

TEST(VbaCodec, SavedValuesOfRows) {
    const std::pair<binding, const char*> saved[] = {
        {row(input::key(203), "203\r", false), "203"},
        {row(input::key(28), "156", true), "28"},
        // Left alone, keypad Enter, an input without a name and a bare number keep their codes.
        {row(input::key(156), "156", false), "156"},
        {row(input::button(2, 2), "642\r", false), "642"},
        {row(input::joystick_only(1), "260\r", false), "260"},
        {row(input::key(-8), "-8\r", false), "-8"},
        {row(input::key(55), "55\r", false), "55"},
        {row(input::value(2689), "2689\r", false), "2689"},
        {row(input::pov(1, hat_direction::right), "0", true), "290"},
        {row(input::axis(3, 0, true), "0", true), "769"},
        {row(input::axis(3, 1, false), "0", true), "770"},
        // The emulator has no code for the extra axes, nor for buttons past 127: the row keeps
        // its value.
        {row(input::axis(1, 2, false), "45\r", true), "45"},
        {row(input::button(1, 200), "45\r", true), "45"},
        // A row that was never loaded has no value to keep: its input is converted, or is no key.
        {row(input::key(203), "", false), "203"},
        {row(input{}, "", false), "0"},
        // An empty value reads as code 0, no key, and stays that: not the key named "0".
        {row(vba::input_of(""), "", false), "0"}};
    for (const auto& [record, value] : saved)
        EXPECT_EQ(vba::saved_value(record), value) << input_name(record.id) << " / " << record.emu;
    // 128 codes per joystick hold buttons 0 to 127; button 128 would be the next joystick's axis.
    EXPECT_EQ(vba::value_of(input::button(1, 127)), 511);
    EXPECT_FALSE(vba::value_of(input::button(1, 128)).has_value());
    EXPECT_FALSE(vba::value_of(input::button(10, 1)).has_value());
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
