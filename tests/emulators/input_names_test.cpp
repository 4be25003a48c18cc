// Joystick names built by the capture box and read back by the codecs, and the integer reader.
#include "emulators/input_names.h"

#include <gtest/gtest.h>

namespace rx {
namespace {

using kind = joystick_input::input_kind;

TEST(JoystickNames, BuiltNamesParseBackToTheSameInput) {
    for (int j = 0; j < 5; ++j) {
        for (int b : {0, 7, 31}) {
            auto in = parse_joystick_name(joystick_button_name(j, b));
            ASSERT_TRUE(in);
            EXPECT_EQ(in->joystick, j + 1);
            EXPECT_EQ(in->kind, kind::button);
            EXPECT_EQ(in->index, b);
        }
        for (int a = 0; a < 4; ++a) {
            for (bool positive : {false, true}) {
                auto in = parse_joystick_name(joystick_axis_name(j, a, positive));
                ASSERT_TRUE(in);
                EXPECT_EQ(in->kind, kind::axis);
                EXPECT_EQ(in->index, a);
                EXPECT_EQ(in->positive, positive);
            }
        }
        for (hat_direction d :
             {hat_direction::up, hat_direction::down, hat_direction::left, hat_direction::right}) {
            auto in = parse_joystick_name(joystick_hat_name(j, d));
            ASSERT_TRUE(in);
            EXPECT_EQ(in->kind, kind::hat);
            EXPECT_EQ(in->hat, d);
        }
    }
    EXPECT_EQ(joystick_button_name(0, 3), "Joystick 1 Button 3");
    EXPECT_EQ(joystick_axis_name(0, 1, false), "Joystick 1 axis 1 dir 0");
    EXPECT_EQ(joystick_hat_name(1, hat_direction::left), "Joystick 2 POV Left");
}

TEST(JoystickNames, UnreadableNamesAreRefusedWithoutReadingPastTheText) {
    for (const char* name :
         {"", "Joystick", "Joystick ", "Joystick 0 Button 1", "Joystick x", "Joystick 12 Button 1",
          "Joystick 1x", "joystick 1 Button 1", "Left Ctrl", "Joystick 10 "}) {
        EXPECT_FALSE(parse_joystick_name(name)) << '"' << name << '"';
    }
    // A readable number with nothing (or nothing known) after it names no input.
    for (const char* name :
         {"Joystick 1", "Joystick 1 ", "Joystick 2 Button", "Joystick 2 Button ",
          "Joystick 2 Button 3x", "Joystick 3 axis 1 dir 2", "Joystick 3 axis 1 dir 1 ",
          "Joystick 3 POV Upward", "Joystick 4 POV"}) {
        auto in = parse_joystick_name(name);
        ASSERT_TRUE(in) << name;
        EXPECT_EQ(in->kind, kind::none) << name;
    }
    // The text ends where the view ends, not at a terminator further on.
    const char buffer[] = "Joystick 1 Button 12";
    auto in = parse_joystick_name(std::string_view(buffer, 19));
    ASSERT_TRUE(in);
    EXPECT_EQ(in->index, 1);
}

TEST(LeadingInteger, ReadsTheFirstNumberAndNothingElse) {
    EXPECT_EQ(leading_integer("203\r"), 203);
    EXPECT_EQ(leading_integer("642\r\n"), 642);
    EXPECT_EQ(leading_integer(" 7"), 7);
    EXPECT_EQ(leading_integer("-5"), -5);
    EXPECT_EQ(leading_integer(""), 0);
    EXPECT_EQ(leading_integer("abc"), 0);
    EXPECT_GT(leading_integer("99999999999999999999"), 0);
    EXPECT_TRUE(is_decimal_number("55"));
    EXPECT_FALSE(is_decimal_number(""));
    EXPECT_FALSE(is_decimal_number("5 5"));
    EXPECT_FALSE(is_decimal_number("55\r"));
}

}  // namespace
}  // namespace rx
