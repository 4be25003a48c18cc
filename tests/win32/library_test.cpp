// Run-time libraries on Windows: names, loading by full path, and in-memory files read through a
// loaded library's own C runtime calls.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "files.h"
#include "platform/dynamic_library.h"
#include "platform/memory_file.h"

namespace {

namespace platform = rx::platform;

TEST(LibraryFileName, LinuxNamesBecomeWindowsOnes) {
    const struct {
        const char* given;
        const char* expected;
    } cases[] = {
        {"nestopia_libretro.so", "nestopia_libretro.dll"},
        {"a.so", "a.dll"},
        {".so", ".so"},  // nothing before the suffix: not a library name
        {"libz.so.1", "libz.so.1"},
        {"core.dll", "core.dll"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::library_file_name(c.given), c.expected) << c.given;
}

using read_fn = long (*)(const char*, char*, long);

class MemoryFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        library = platform::dynamic_library::open(RX_C_RUNTIME_READER, error);
        ASSERT_TRUE(library) << error;
        read = reinterpret_cast<read_fn>(library->symbol("read_by_path"));
        ASSERT_NE(read, nullptr);
    }

    std::string read_through_library(const std::string& path, long room = 1 << 20) {
        std::string into(static_cast<std::size_t>(room), '\0');
        const long got = read(path.c_str(), into.data(), room);
        if (got < 0) return "error " + std::to_string(got);
        into.resize(static_cast<std::size_t>(got));
        return into;
    }

    std::unique_ptr<platform::dynamic_library> library;
    read_fn read = nullptr;
};

TEST_F(MemoryFiles, ALoadedLibraryReadsTheBytesByPath) {
    std::string bytes(300000, '\0');
    std::mt19937 random(7);
    for (char& c : bytes) c = static_cast<char>(random());
    std::string error;
    auto file = platform::memory_file::create("Square Test", bytes.data(), bytes.size(), error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(read_through_library(file->path()), bytes);
    // Each open starts at the beginning again.
    EXPECT_EQ(read_through_library(file->path()), bytes);
    // An empty file is a file too.
    auto empty = platform::memory_file::create("empty", "", 0, error);
    ASSERT_TRUE(empty) << error;
    EXPECT_EQ(read_through_library(empty->path()), "");
}

TEST_F(MemoryFiles, ThePathEndsWithItsFileAndNamesNoOtherFile) {
    std::string error;
    std::string path;
    {
        auto file = platform::memory_file::create("game.cue", "abc", 3, error);
        ASSERT_TRUE(file) << error;
        path = file->path();
        EXPECT_EQ(read_through_library(path), "abc");
        // The label cannot make the path look like another kind of file or reach another folder.
        EXPECT_EQ(path.find(".cue"), std::string::npos) << path;
        EXPECT_EQ(path.find('/'), std::string::npos) << path;
    }
    EXPECT_EQ(read_through_library(path), "error -1");
    auto other = platform::memory_file::create("game.cue", "xyz", 3, error);
    ASSERT_TRUE(other) << error;
    EXPECT_NE(other->path(), path);
    EXPECT_EQ(read_through_library(other->path()), "xyz");
}

TEST_F(MemoryFiles, FilesOnTheDiskAreStillReadFromIt) {
    rx::test::temp_dir folder("rx_library_test");
    const std::string path = folder.path() + "\\on_disk.bin";
    ASSERT_TRUE(rx::test::write_file(path, std::string("disk\0bytes", 10)));
    EXPECT_EQ(read_through_library(path), std::string("disk\0bytes", 10));
    EXPECT_EQ(read_through_library(folder.path() + "\\missing.bin"), "error -1");
    // Too large for the room given: the library's own seek and tell saw the real size.
    EXPECT_EQ(read_through_library(path, 4), "error -2");
}

TEST(DynamicLibrary, AMissingLibraryIsReportedWithItsPath) {
    std::string error;
    EXPECT_FALSE(platform::dynamic_library::open("Z:\\no\\such\\core.dll", error));
    EXPECT_NE(error.find("no\\such\\core.dll"), std::string::npos) << error;
}

}  // namespace
