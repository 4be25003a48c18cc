// Which files of an update folder the service hands out: only those the folder's signature names.
#include "service/update_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "files.h"
#include "updater/logic/signature.h"

namespace {

using rx::service::signed_update_entries;

class SignedEntries : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(put("manifest.txt", "/a.gz\n/images/b.gz\n"));
        ASSERT_TRUE(put("a.gz", "aaaa"));
        ASSERT_TRUE(put("images/b.gz", "bb"));
        const auto seed = rx::updater::new_key_seed();
        ASSERT_TRUE(put("../key.txt", rx::updater::to_hex(seed.data(), seed.size()) + "\n"));
        ::chmod(key().c_str(), 0600);
    }
    bool put(const std::string& name, const std::string& bytes) {
        ::mkdir((root.path() + "/v1").c_str(), 0700);
        ::mkdir((root.path() + "/v1/images").c_str(), 0700);
        return rx::test::write_file(folder() + "/" + name, bytes);
    }
    bool sign() {
        std::string error;
        return rx::service::sign_update_folder(folder(), key(), "v1", {}, &error);
    }
    std::string folder() const { return root.path() + "/v1"; }
    std::string key() const { return root.path() + "/key.txt"; }
    rx::test::temp_dir root{"rx_update_folder"};
};

TEST_F(SignedEntries, OnlyTheSignedAndListedFilesAreServed) {
    const std::set<std::string> signed_ones{"/a.gz", "/images/b.gz"};
    EXPECT_TRUE(signed_update_entries(folder()).empty()) << "an unsigned folder serves nothing";
    ASSERT_TRUE(sign());
    EXPECT_EQ(signed_update_entries(folder()), signed_ones);
    // Dropped in after signing, even listed: not vouched for, not served.
    ASSERT_TRUE(put("c.gz", "cc"));
    ASSERT_TRUE(put("manifest.txt", "/a.gz\n/images/b.gz\n/c.gz\n"));
    EXPECT_EQ(signed_update_entries(folder()), signed_ones);
    // Taken off the list after signing: no longer served either.
    ASSERT_TRUE(put("manifest.txt", "/a.gz\n"));
    EXPECT_EQ(signed_update_entries(folder()), std::set<std::string>{"/a.gz"});
    // A damaged signature file vouches for nothing.
    ASSERT_TRUE(put("signature.txt", "location v1\nfile /a.gz 4\n"));
    EXPECT_TRUE(signed_update_entries(folder()).empty());
}

}  // namespace
