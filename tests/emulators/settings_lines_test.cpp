// Line splitting that joins back to the same bytes, and the keyboard code names both ways.
#include "emulators/settings_lines.h"

#include <gtest/gtest.h>

#include "emulators/key_names.h"

namespace {

TEST(SettingsLines, SplitKeepsEveryByteAndJoinGivesThemBack) {
    for (std::string text :
         {std::string(""), std::string("\n"), std::string("a=1\r\nb=2\r\n"),
          std::string("a\nno line feed"), std::string("\n\n\r\n", 4), std::string("x\0y\nz", 5)}) {
        auto lines = rx::split_lines(text);
        EXPECT_EQ(rx::join_lines(lines), text);
        for (std::size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_EQ(lines[i].back(), '\n');
    }
    auto lines = rx::split_lines("a\r\nb\nlast");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "a\r\n");
    EXPECT_EQ(lines[2], "last");
}

TEST(KeyNames, NamedUnnamedAndReverseLookups) {
    EXPECT_EQ(rx::key_std_name(29), "Left Ctrl");
    EXPECT_EQ(rx::key_std_name(43), "\\");
    EXPECT_EQ(rx::key_std_name(82), "0 (Pad)");
    EXPECT_EQ(rx::key_std_name(156), "Enter");
    EXPECT_EQ(rx::key_std_name(211), "Del");
    for (int unnamed : {0, 1, 55, 70, 74, 83, 255})
        EXPECT_EQ(rx::key_std_name(unnamed), std::to_string(unnamed));
    EXPECT_EQ(rx::key_code_of("Enter"), 28);
    EXPECT_EQ(rx::key_code_of("Left"), 203);
    EXPECT_EQ(rx::key_code_of("55"), 0);
    EXPECT_EQ(rx::key_code_of("Enter (Pad)"), 0);
    EXPECT_EQ(rx::key_code_of("left"), 0);
    // Every named code but keypad Enter comes back as itself.
    int named = 0;
    for (int code = 0; code < 256; ++code) {
        std::string name = rx::key_std_name(code);
        if (name == std::to_string(code)) continue;
        ++named;
        if (code != 156) {
            EXPECT_EQ(rx::key_code_of(name), code) << name;
        }
    }
    EXPECT_EQ(named, 93);
}

}  // namespace
