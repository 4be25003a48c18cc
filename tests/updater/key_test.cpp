// The update key maker: the private key is owner-only before a byte of it is written, an existing
// key is kept, and a damaged one is reported rather than replaced.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "files.h"
#include "platform/file.h"
#include "updater/update_key.h"

namespace rx::updater {
namespace {

namespace fs = std::filesystem;

// What the folder held when the key's bytes were first written: the temporary key file's mode and
// size (-1 when no such file existed at any write).
std::string watched_folder;
int mode_at_first_write = -1;
long size_at_first_write = -1;

void watch(platform::replace_step step) {
    if (step != platform::replace_step::write || mode_at_first_write != -1) return;
    for (const auto& item : fs::directory_iterator(watched_folder)) {
        const std::string name = item.path().filename().string();
        if (name.rfind(std::string(signing_key_name) + ".tmp.", 0) != 0) continue;
        struct stat info {};
        if (::stat(item.path().c_str(), &info) != 0) continue;
        mode_at_first_write = static_cast<int>(info.st_mode & 07777);
        size_at_first_write = static_cast<long>(info.st_size);
    }
}

TEST(update_key, the_private_key_is_owner_only_before_its_seed_is_written_and_is_kept) {
    test::temp_dir folder{"rx_update_key"};
    watched_folder = folder.path();
    platform::watch_replace_steps_for_testing(watch);
    const std::string made = make_update_key(folder.path());
    platform::watch_replace_steps_for_testing(nullptr);
    ASSERT_EQ(made, "");
    EXPECT_EQ(mode_at_first_write, 0600);
    EXPECT_EQ(size_at_first_write, 0);

    const fs::path key = fs::path(folder.path()) / signing_key_name;
    EXPECT_EQ(fs::status(key).permissions(), fs::perms(0600));
    const std::string seed = test::read_file(key.string());
    ASSERT_EQ(seed.size(), 65u);
    const std::string public_hex = test::read_file(folder.file("update_public_key.hex"));
    ASSERT_EQ(public_hex.size(), 65u);
    EXPECT_NE(test::read_file(folder.file("update_public_key.h")).find(public_hex.substr(0, 64)),
              std::string::npos);

    // Run again, the maker keeps the key and names the same public key.
    ASSERT_EQ(make_update_key(folder.path()), "");
    EXPECT_EQ(test::read_file(key.string()), seed);
    EXPECT_EQ(test::read_file(folder.file("update_public_key.hex")), public_hex);

    // A damaged key is reported, never replaced by a new one.
    ASSERT_TRUE(test::write_file(key.string(), "not hex\n"));
    EXPECT_NE(make_update_key(folder.path()), "");
    EXPECT_EQ(test::read_file(key.string()), "not hex\n");
}

}  // namespace
}  // namespace rx::updater
