// Ootake's joypad blocks: codes and names both ways, and saves that touch only the two blocks.
#include "emulators/ootake_settings.h"

#include <gtest/gtest.h>

#include <random>

namespace {

namespace ootake = rx::ootake;

// Random bytes (NULs among them) with the marker at an odd offset; `after` bytes follow the
// marker's first byte.
std::string fixture(std::size_t before, std::size_t after, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(before + after, '\0');
    for (char& c : bytes) c = static_cast<char>(random() % 4 == 0 ? 0 : random() & 0xFF);
    bytes.replace(before, ootake::marker.size(), ootake::marker);
    return bytes;
}

void put_code(std::string& bytes, std::size_t at, std::uint16_t code) {
    bytes[at] = static_cast<char>(code & 0xFF);
    bytes[at + 1] = static_cast<char>(code >> 8);
}

TEST(OotakeNames, CodesAndNamesBothWays) {
    EXPECT_EQ(ootake::std_name(200), "Up");
    EXPECT_EQ(ootake::std_name(300), "Joystick 1 axis 1 dir 0");
    EXPECT_EQ(ootake::std_name(303), "Joystick 1 axis 0 dir 0");
    EXPECT_EQ(ootake::std_name(306), "Joystick 1 POV Down");
    EXPECT_EQ(ootake::std_name(453), "Joystick 2 Button 3");
    EXPECT_EQ(ootake::std_name(0), "0");
    EXPECT_EQ(ootake::std_name(312), "312");  // input 12 names nothing
    EXPECT_EQ(ootake::code_of("Joystick 2 Button 3"), 453);
    EXPECT_EQ(ootake::code_of("Joystick 1 axis 0 dir 0"), 303);
    EXPECT_EQ(ootake::code_of("Joystick 1 POV Down"), 306);
    EXPECT_EQ(ootake::code_of("Joystick 9 axis 1 dir 1"), 1102);
    EXPECT_EQ(ootake::code_of("Enter"), 28);
    EXPECT_EQ(ootake::code_of(""), 0);
    EXPECT_FALSE(ootake::code_of("Joystick 1 axis 2 dir 0").has_value());
    EXPECT_FALSE(ootake::code_of("Joystick 1 Button 50").has_value());
    EXPECT_FALSE(ootake::code_of("Joystick 10 Button 1").has_value());
    for (std::uint16_t code : {300, 301, 302, 303, 304, 305, 306, 307, 350, 399, 1150, 44}) {
        EXPECT_EQ(ootake::code_of(ootake::std_name(code)), code) << code;
    }
}

TEST(OotakeFile, LoadsBothPlayersInScreenOrder) {
    std::string bytes = fixture(1001, 400, 7);
    put_code(bytes, 1001 + 280, 200);      // player 1 Up
    put_code(bytes, 1001 + 282, 300);      // player 1 Right (entry 1)
    put_code(bytes, 1001 + 304 + 6, 453);  // player 2 Left (entry 3)
    auto s = ootake::load(bytes);
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ((*s)[0].shown, "Up");
    EXPECT_EQ((*s)[3].shown, "Joystick 1 axis 1 dir 0");
    EXPECT_EQ((*s)[8 + 2].shown, "Joystick 2 Button 3");
    EXPECT_EQ((*s)[8 + 2].code, 453);
}

TEST(OotakeFile, ASaveChangesOnlyTheThirtyTwoBytesOfTheBlocks) {
    const std::size_t at = 4097;                 // odd, and past the old 4 KiB read
    std::string bytes = fixture(at, 60000, 11);  // longer than the old 48 KiB read
    auto s = ootake::load(bytes);
    ASSERT_TRUE(s.has_value());
    for (std::size_t i = 0; i < s->size(); ++i)
        (*s)[i].shown = "Joystick 1 Button " + std::to_string(i);
    (*s)[0].shown = "Joystick 2 Button 3";
    (*s)[8 + 3].shown = "Joystick 1 POV Down";  // not capturable here, but a valid name
    auto out = ootake::save(bytes, *s);
    ASSERT_TRUE(out.has_value());
    ASSERT_EQ(out->size(), bytes.size());
    std::size_t differing_outside = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bool in_block = (i >= at + 280 && i < at + 296) || (i >= at + 304 && i < at + 320);
        if (!in_block && (*out)[i] != bytes[i]) ++differing_outside;
    }
    EXPECT_EQ(differing_outside, 0u);
    EXPECT_EQ(static_cast<unsigned char>((*out)[at + 280]), 0xC5);
    EXPECT_EQ(static_cast<unsigned char>((*out)[at + 281]), 0x01);
    EXPECT_EQ(static_cast<unsigned char>((*out)[at + 304 + 2]), 306 & 0xFF);  // Right is entry 1
    auto again = ootake::load(*out);
    ASSERT_TRUE(again.has_value());
    for (std::size_t i = 0; i < s->size(); ++i) EXPECT_EQ((*again)[i].shown, (*s)[i].shown) << i;
}

TEST(OotakeFile, UnchangedButtonsKeepTheirCodes) {
    std::string bytes = fixture(33, 330, 3);
    put_code(bytes, 33 + 280, 0);    // shows as "0", which is the name of key 11
    put_code(bytes, 33 + 282, 320);  // an input the names do not cover
    auto s = ootake::load(bytes);
    ASSERT_TRUE(s.has_value());
    auto out = ootake::save(bytes, *s);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(*out, bytes);
    (*s)[0].touched = true;  // the user captured the 0 key itself
    out = ootake::save(bytes, *s);
    EXPECT_EQ(static_cast<unsigned char>((*out)[33 + 280]), 11);
}

TEST(OotakeFile, NoMarkerOrTooLittleRoomWritesNothing) {
    ootake::slots s;
    std::string bytes = fixture(501, 319, 5);  // one byte short of player 2's block
    EXPECT_FALSE(ootake::find_marker(bytes).has_value());
    EXPECT_FALSE(ootake::load(bytes).has_value());
    EXPECT_FALSE(ootake::save(bytes, s).has_value());
    bytes += '\0';
    EXPECT_EQ(ootake::find_marker(bytes), 501u);
    EXPECT_TRUE(ootake::save(bytes, s).has_value());
    // A marker cut short by a NUL is no marker.
    std::string cut = fixture(10, 400, 9);
    cut[10 + 20] = '\0';
    EXPECT_FALSE(ootake::load(cut).has_value());
    EXPECT_FALSE(ootake::save("", s).has_value());
}

}  // namespace
