// Ootake's joypad blocks: codes and inputs both ways, and saves that touch only the two blocks.
#include "emulators/ootake_settings.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/emulators/codec_fixtures.h"

namespace {

using rx::input;
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

std::vector<rx::binding> loaded(const std::string& bytes) {
    std::vector<rx::binding> records;
    EXPECT_TRUE(ootake::load(bytes, records));
    return records;
}

TEST(OotakeInputs, CodesAndInputsBothWays) {
    const std::pair<std::uint16_t, input> read[] = {
        {200, input::key(200)},          {300, input::axis(1, 1, false)},
        {303, input::axis(1, 0, false)}, {306, input::pov(1, rx::hat_direction::down)},
        {453, input::button(2, 3)},      {0, input::key(0)},
        {312, input::value(312)},     // input 12 names nothing
        {1300, input::value(1300)}};  // a tenth joystick
    for (const auto& [code, id] : read)
        EXPECT_EQ(ootake::input_of(code), id) << code << " should read as " << input_name(id);
    const std::pair<input, std::uint16_t> stored[] = {{input::button(2, 3), 453},
                                                      {input::axis(1, 0, false), 303},
                                                      {input::pov(1, rx::hat_direction::down), 306},
                                                      {input::axis(9, 1, true), 1102},
                                                      {input::key(28), 28}};
    for (const auto& [id, code] : stored) EXPECT_EQ(ootake::code_of(id), code) << input_name(id);
    for (const input& unstorable : {input::axis(1, 2, false), input::button(1, 50),
                                    input::button(10, 1), input::value(312), input{}})
        EXPECT_FALSE(ootake::code_of(unstorable).has_value()) << input_name(unstorable);
    for (std::uint16_t code : {300, 301, 302, 303, 304, 305, 306, 307, 350, 399, 1150, 44})
        EXPECT_EQ(ootake::code_of(ootake::input_of(code)), code) << code;
}

TEST(OotakeFile, LoadsBothPlayersInScreenOrder) {
    std::string bytes = fixture(1001, 400, 7);
    put_code(bytes, 1001 + 280, 200);      // player 1 Up
    put_code(bytes, 1001 + 282, 300);      // player 1 Right (entry 1)
    put_code(bytes, 1001 + 304 + 6, 453);  // player 2 Left (entry 3)
    const auto records = loaded(bytes);
    ASSERT_EQ(records.size(), 16u);
    EXPECT_EQ(records[0].id, input::key(200));
    EXPECT_EQ(records[3].id, input::axis(1, 1, false));
    EXPECT_EQ(records[8 + 2].id, input::button(2, 3));
    EXPECT_EQ(records[8 + 2].emu, "453");
}

TEST(OotakeFile, ASaveChangesOnlyTheThirtyTwoBytesOfTheBlocks) {
    const std::size_t at = 4097;                 // odd, and past the old 4 KiB read
    std::string bytes = fixture(at, 60000, 11);  // longer than the old 48 KiB read
    auto records = loaded(bytes);
    for (std::size_t i = 0; i < records.size(); ++i)
        rx::test::capture(records[i], input::button(1, static_cast<int>(i)));
    rx::test::capture(records[0], input::button(2, 3));
    // Not capturable here, but an input the file holds.
    rx::test::capture(records[8 + 3], input::pov(1, rx::hat_direction::down));
    auto out = ootake::save(bytes, records);
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
    const auto again = loaded(*out);
    for (std::size_t i = 0; i < records.size(); ++i) EXPECT_EQ(again[i].id, records[i].id) << i;
}

TEST(OotakeFile, UncapturedButtonsKeepTheirCodes) {
    std::string bytes = fixture(33, 330, 3);
    put_code(bytes, 33 + 280, 0);    // shows as "0", which is the name of key 11
    put_code(bytes, 33 + 282, 320);  // an input no capture makes
    auto records = loaded(bytes);
    auto out = ootake::save(bytes, records);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(*out, bytes);
    rx::test::capture(records[0], input::key(11));        // the user captured the 0 key itself
    rx::test::capture(records[3], input::button(1, 60));  // past the 50 buttons the codes hold
    out = ootake::save(bytes, records);
    EXPECT_EQ(static_cast<unsigned char>((*out)[33 + 280]), 11);
    EXPECT_EQ(out->substr(33 + 282, 2), bytes.substr(33 + 282, 2));
}

TEST(OotakeFile, NoMarkerOrTooLittleRoomWritesNothing) {
    std::vector<rx::binding> records(16);
    std::string bytes = fixture(501, 319, 5);  // one byte short of player 2's block
    EXPECT_FALSE(ootake::find_marker(bytes).has_value());
    EXPECT_FALSE(ootake::load(bytes, records));
    EXPECT_FALSE(ootake::save(bytes, records).has_value());
    bytes += '\0';
    EXPECT_EQ(ootake::find_marker(bytes), 501u);
    EXPECT_TRUE(ootake::save(bytes, records).has_value());
    EXPECT_FALSE(ootake::save(bytes, std::vector<rx::binding>(15)).has_value());
    // A marker cut short by a NUL is no marker.
    std::string cut = fixture(10, 400, 9);
    cut[10 + 20] = '\0';
    EXPECT_FALSE(ootake::load(cut, records));
    EXPECT_FALSE(ootake::save("", records).has_value());
}

}  // namespace
