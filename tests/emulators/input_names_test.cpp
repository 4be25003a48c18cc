// Inputs, their capture box texts and equality, and the integer reader.
#include "emulators/input_names.h"

#include <gtest/gtest.h>

namespace rx {
namespace {

TEST(InputNames, EachKindHasTheCaptureBoxText) {
    const std::pair<input, const char*> names[] = {
        {input::key(29), "Left Ctrl"},
        {input::key(156), "Enter"},
        {input::key(55), "55"},
        {input::button(1, 3), "Joystick 1 Button 3"},
        {input::axis(1, 1, false), "Joystick 1 axis 1 dir 0"},
        {input::axis(2, 0, true), "Joystick 2 axis 0 dir 1"},
        {input::pov(2, hat_direction::left), "Joystick 2 POV Left"},
        {input::joystick_only(3), "Joystick 3 "},
        {input::value(300), "300"},
        {input{}, ""}};
    for (const auto& [id, name] : names) EXPECT_EQ(input_name(id), name);
}

TEST(InputNames, InputsAreEqualOnlyInWhatTheirKindUses) {
    EXPECT_EQ(input::key(28), input::key(28));
    EXPECT_NE(input::key(28), input::key(156));  // both shown as "Enter"
    EXPECT_NE(input::key(11), input::value(11));
    EXPECT_NE(input::button(1, 3), input::button(2, 3));
    EXPECT_NE(input::axis(1, 0, true), input::axis(1, 0, false));
    EXPECT_NE(input::pov(1, hat_direction::up), input::pov(1, hat_direction::down));
    input hat = input::pov(1, hat_direction::up);
    hat.index = 7;  // not part of a hat
    EXPECT_EQ(hat, input::pov(1, hat_direction::up));
    EXPECT_EQ(input{}, input{});
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
