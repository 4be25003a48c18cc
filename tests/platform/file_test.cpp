// Whole-file reads and the atomic replace: failures at every step leave the original as it was.
#include "platform/file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "tests/support/files.h"

namespace fs = std::filesystem;
using rx::platform::read_status;
using rx::platform::replace_step;

namespace {

std::size_t entries_in(const fs::path& dir) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(ReplaceFile, WritesNewBytesKeepingModeAndLeavesNoTemporaryFile) {
    rx::test::temp_dir dir;
    auto path = dir.file("vba.ini");
    rx::test::write_file(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    std::string bytes("a\0b\r\nlast", 9);
    EXPECT_EQ(rx::platform::replace_file(path, bytes), "");
    EXPECT_EQ(rx::test::read_file(path), bytes);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(entries_in(dir.path()), 1u);
}

TEST(ReplaceFile, NewFileGetsTheGivenMode) {
    rx::test::temp_dir dir;
    auto path = dir.file("userinfo.dat");
    EXPECT_EQ(rx::platform::replace_file(path, "x", 0600), "");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(ReplaceFile, EveryFailingStepLeavesTheOriginalAndNoTemporaryFile) {
    for (auto step :
         {replace_step::create, replace_step::write, replace_step::flush, replace_step::rename}) {
        rx::test::temp_dir dir;
        auto path = dir.file("gens.cfg");
        rx::test::write_file(path, "original bytes");
        rx::platform::fail_replace_step_for_testing(step);
        std::string result = rx::platform::replace_file(path, "new bytes that must not land");
        rx::platform::fail_replace_step_for_testing(replace_step::none);
        EXPECT_NE(result, "") << static_cast<int>(step);
        EXPECT_EQ(rx::test::read_file(path), "original bytes");
        EXPECT_EQ(entries_in(dir.path()), 1u)
            << "temporary file left after step " << static_cast<int>(step);
    }
}

std::vector<replace_step> steps_taken;

// The new bytes reach the disk after the last write and before the rename puts them in place, for a
// file replaced and for a new one.
TEST(ReplaceFile, TheBytesAreFlushedBeforeTheRename) {
    rx::test::temp_dir dir;
    for (const char* name : {"meka.inp", "ootake.dat"}) {
        const auto path = dir.file(name);
        if (name == std::string("meka.inp")) rx::test::write_file(path, "old");
        steps_taken.clear();
        rx::platform::watch_replace_steps_for_testing(
            [](replace_step step) { steps_taken.push_back(step); });
        const std::string result = rx::platform::replace_file(path, std::string(100000, 'n'));
        rx::platform::watch_replace_steps_for_testing(nullptr);
        ASSERT_EQ(result, "") << name;
        ASSERT_GE(steps_taken.size(), 4u) << name;
        EXPECT_EQ(steps_taken.front(), replace_step::create) << name;
        EXPECT_EQ(steps_taken[1], replace_step::write) << name;
        const std::vector<replace_step> end(steps_taken.end() - 2, steps_taken.end());
        EXPECT_EQ(end, (std::vector<replace_step>{replace_step::flush, replace_step::rename}))
            << name;
    }
}

TEST(ReplaceFile, MissingFolderFailsCleanly) {
    rx::test::temp_dir dir;
    auto path = dir.file("no/such.ini");
    EXPECT_NE(rx::platform::replace_file(path, "x"), "");
    EXPECT_FALSE(fs::exists(path));
}

TEST(ReadWholeFile, ReadsEverythingUpToTheCap) {
    rx::test::temp_dir dir;
    auto path = dir.file("big.ini");
    std::string big(200000, 'x');
    big[12345] = '\0';
    rx::test::write_file(path, big);
    std::string bytes;
    EXPECT_EQ(rx::platform::read_whole_file(path, bytes), read_status::ok);
    EXPECT_EQ(bytes, big);
    EXPECT_EQ(rx::platform::read_whole_file(path, bytes, big.size() - 1), read_status::too_large);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(rx::platform::read_whole_file(dir.file("none"), bytes), read_status::missing);
    EXPECT_EQ(rx::platform::read_whole_file(dir.path(), bytes), read_status::failed);
}

}  // namespace
