// Installing files on Windows: a running program's own file replaced by moving it aside, a failed
// set of moves put back, new files written in steps, folders made and recorded.
#include "platform/install.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files.h"
#include "platform/process.h"

namespace {

namespace fs = std::filesystem;
namespace platform = rx::platform;
using rx::test::read_file;
using rx::test::write_file;

std::string full_path(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : path;
}

class Install : public testing::Test {
  protected:
    void TearDown() override { platform::fail_swap_move_for_testing(0); }
    rx::test::temp_dir dir{"rx_win32_install"};
};

// The updater replaces rx_update.exe while it runs: Windows refuses to write over a running
// program's file, so the swap has to move it aside first.
TEST_F(Install, ReplacesTheFileOfARunningProgram) {
    const std::string target = full_path(dir.file("rx_update.exe"));
    ASSERT_TRUE(CopyFileA(full_path(RX_TEST_CHILD).c_str(), target.c_str(), FALSE));
    platform::process_runner& runner = platform::system_processes();
    platform::process_handle running = runner.start(target, "wait");
    ASSERT_NE(running, 0);
    Sleep(300);
    ASSERT_TRUE(runner.is_running(running));

    const std::string staged = target + ".new";
    ASSERT_TRUE(write_file(staged, "the new program"));
    // What a plain move over the file meets: Windows (and Wine) refuse it while the program runs.
    EXPECT_FALSE(MoveFileExA(staged.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(CopyFileA(staged.c_str(), target.c_str(), FALSE));
    EXPECT_EQ(platform::swap_in_files({{staged, target}}), "");
    EXPECT_EQ(read_file(target), "the new program");
    EXPECT_FALSE(fs::exists(staged));
    EXPECT_TRUE(runner.is_running(running));

    int error = 0;
    EXPECT_TRUE(runner.terminate(running, 0, error));
    runner.close(running);
}

TEST_F(Install, AFailedMovePutsEverySwappedFileBack) {
    const std::string a = dir.file("Relicade.exe"), b = dir.file("images/button_play.png");
    std::vector<std::string> made;
    ASSERT_TRUE(platform::create_folders(dir.file("images"), &made));
    ASSERT_TRUE(write_file(a, "old program"));
    ASSERT_TRUE(write_file(b, "old picture"));
    const std::string c = dir.file("news.txt");  // new with this update
    for (int failing = 1; failing <= 5; ++failing) {
        ASSERT_TRUE(write_file(a + ".new", "new program"));
        ASSERT_TRUE(write_file(b + ".new", "new picture"));
        ASSERT_TRUE(write_file(c + ".new", "new file"));
        platform::fail_swap_move_for_testing(failing);
        const std::string result =
            platform::swap_in_files({{a + ".new", a}, {b + ".new", b}, {c + ".new", c}});
        platform::fail_swap_move_for_testing(0);
        EXPECT_NE(result, "") << failing;
        EXPECT_EQ(read_file(a), "old program") << failing;
        EXPECT_EQ(read_file(b), "old picture") << failing;
        EXPECT_FALSE(fs::exists(c)) << failing;
    }
    // Nothing set aside is left behind: only the originals and the staged files.
    std::size_t entries = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
        entries += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(entries, 5u);
}

TEST_F(Install, WritesNewFilesAndMakesFolders) {
    std::vector<std::string> made;
    const std::string nested = dir.file("update/images/big");
    ASSERT_TRUE(platform::create_folders(nested, &made));
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(fs::path(made[0]).filename(), "update");
    EXPECT_EQ(fs::path(made[2]).filename(), "big");
    EXPECT_EQ(platform::kind_of(nested), platform::path_kind::folder);

    const std::string file = nested + "/a.png";
    platform::output_file out;
    ASSERT_TRUE(out.create(file));
    ASSERT_TRUE(out.write("\x89PNG\r\n", 6));
    ASSERT_TRUE(out.finish());
    EXPECT_EQ(read_file(file), "\x89PNG\r\n");
    EXPECT_EQ(platform::kind_of(file), platform::path_kind::file);
    // A new file never overwrites one that is there.
    platform::output_file again;
    EXPECT_FALSE(again.create(file));
    // A file standing where a folder must go stops the folders.
    EXPECT_FALSE(platform::create_folders(file + "/below", nullptr));
    EXPECT_TRUE(platform::remove_file(file));
    EXPECT_EQ(platform::kind_of(file), platform::path_kind::missing);
}

}  // namespace
