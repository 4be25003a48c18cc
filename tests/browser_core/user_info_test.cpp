// userinfo.dat: exact bytes, reading back, hostile input and the file wrappers.
#include "browser/base/logic/user_info.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "files.h"
#include "platform/file.h"

namespace rx {
namespace {

using namespace std::string_literals;

user_info sample() {
    user_info info;
    info.user_name = L"Bob";
    info.password = L"pw";
    info.account_kind = 2;
    info.last_system = 1000;
    info.save_login = 1;
    info.auto_login = 0;
    info.name_filter = "^[a-b]";
    info.fullscreen = 1;
    return info;
}

void expect_same(const user_info& a, const user_info& b) {
    EXPECT_EQ(a.user_name, b.user_name);
    EXPECT_EQ(a.password, b.password);
    EXPECT_EQ(a.account_kind, b.account_kind);
    EXPECT_EQ(a.last_system, b.last_system);
    EXPECT_EQ(a.save_login, b.save_login);
    EXPECT_EQ(a.auto_login, b.auto_login);
    EXPECT_EQ(a.name_filter, b.name_filter);
    EXPECT_EQ(a.fullscreen, b.fullscreen);
}

TEST(UserInfoCodec, KnownRecordHasExactBytes) {
    const std::string expected =
        "B\0o\0b\0||p\0w\0||2\0\0\0||1000||1\0\0\0||0\0\0\0||^[a-b]||1\0\0\0"s;
    EXPECT_EQ(encode_user_info(sample()), expected);
    // No separator after the last field and no terminator.
    EXPECT_EQ(encode_user_info(user_info{}), "||||0\0\0\0||0\0\0\0||0\0\0\0||0\0\0\0||||0\0\0\0"s);
}

TEST(UserInfoCodec, ReadsBackWhatItWrites) {
    expect_same(decode_user_info(encode_user_info(sample())), sample());

    user_info wide = sample();
    wide.user_name = L"Zoë\u4e2d";
    wide.password = L"p\U0001F600w";  // outside the 16-bit plane: a surrogate pair in the file
    wide.account_kind = -1;
    wide.last_system = 12;
    const std::string bytes = encode_user_info(wide);
    EXPECT_EQ(bytes.substr(0, 10), "Z\0o\0\xeb\0\x2d\x4e||"s);
    EXPECT_EQ(bytes.substr(10, 10), "p\0\x3d\xd8\x00\xdew\0||"s);
    expect_same(decode_user_info(bytes), wide);
}

TEST(UserInfoCodec, ZeroPaddingQuirks) {
    // Numbers end at their first NUL; the last field runs on into the zeroed read buffer.
    const user_info info =
        decode_user_info("a\0||b\0||7\0\0\0||12\0\0||1\0\0\0||1\0\0\0||^[0-9]||1"s);
    EXPECT_EQ(info.account_kind, 7);
    EXPECT_EQ(info.last_system, 12);
    EXPECT_EQ(info.fullscreen, 1);
    EXPECT_EQ(info.name_filter, "^[0-9]");

    // A name ends at its first zero code unit, whatever follows it in the field.
    EXPECT_EQ(decode_user_info("a\0\0\0b\0||x\0"s).user_name, L"a");
    // A filter ends at its first NUL byte.
    EXPECT_EQ(decode_user_info("||||||||||||ab\0cd||1"s).name_filter, "ab");

    // Only 1024 bytes are read: a record longer than that loses its tail.
    user_info long_filter = sample();
    long_filter.name_filter = std::string(1000, 'x');
    const user_info back = decode_user_info(encode_user_info(long_filter));
    EXPECT_EQ(back.user_name, L"Bob");
    EXPECT_EQ(back.account_kind, 2);
    EXPECT_LT(back.name_filter.size(), 1000u);
    EXPECT_EQ(back.fullscreen, 0);
}

TEST(UserInfoCodec, ShortAndGarbledInputNeverCrashes) {
    const user_info empty = decode_user_info("");
    expect_same(empty, user_info{});

    // A file cut inside the third field: the fields that are missing stay empty or zero.
    const user_info cut = decode_user_info("B\0o\0b\0||p\0w\0||2"s);
    EXPECT_EQ(cut.user_name, L"Bob");
    EXPECT_EQ(cut.password, L"pw");
    EXPECT_EQ(cut.account_kind, 2);
    EXPECT_EQ(cut.last_system, 0);
    EXPECT_EQ(cut.name_filter, "");

    // An odd last byte of a name pairs with a zero high byte.
    EXPECT_EQ(decode_user_info("AbC"s).user_name, std::wstring({wchar_t(0x6241), L'C'}));
    // Too many separators: extra ones belong to the last field, which atoi stops reading at once.
    EXPECT_EQ(decode_user_info("||||||||||||||||1"s).fullscreen, 0);
    // Numbers that would overflow atoi clamp instead of misbehaving.
    EXPECT_EQ(decode_user_info("||||99999999999999999999||-99999999999999999999"s).account_kind,
              INT_MAX);
    EXPECT_EQ(decode_user_info("||||99999999999999999999||-99999999999999999999"s).last_system,
              INT_MIN);
    EXPECT_EQ(decode_user_info("||||  +42xyz"s).account_kind, 42);
    // A lone surrogate survives as its own unit.
    EXPECT_EQ(decode_user_info("\x00\xd8"s).user_name, std::wstring(1, wchar_t(0xD800)));

    // Random bytes of every length up to past the read size (run under ASan in the sanitizer
    // build).
    std::mt19937 random(12345);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 1400, '\0');
        for (auto& b : bytes) b = static_cast<char>(random() % 4 == 0 ? '|' : random() % 256);
        const user_info info = decode_user_info(bytes);
        EXPECT_LE(info.name_filter.size(), 1024u);
        EXPECT_LE(info.user_name.size(), 512u);
    }
}

TEST(UserInfoCodec, HostileNameFiltersNeverSpillIntoTheNextField) {
    // Filter texts that hold the separator, run into it or end where it starts.
    const std::pair<std::string, std::string> filters[] = {
        {"a||b", "a|b"}, {"||", ""},          {"|", ""},      {"a|", "a"},
        {"a|||", "a"},   {"|a", "|a"},        {"a|b", "a|b"}, {"||||||||1", "|1"},
        {"x\0y"s, "xy"}, {"^[a-b]", "^[a-b]"}};
    for (const auto& [typed, kept] : filters) {
        EXPECT_EQ(storable_name_filter(typed), kept) << typed;
        user_info info = sample();
        info.name_filter = typed;
        user_info expected = sample();
        expected.name_filter = kept;
        const user_info back = decode_user_info(encode_user_info(info));
        expect_same(back, expected);
        // What was read back is written again byte for byte.
        EXPECT_EQ(encode_user_info(back), encode_user_info(expected)) << typed;
    }
}

TEST(UserInfoCodec, NumbersThatDoNotFitFourBytesAreStoredAsZero) {
    user_info info;
    info.last_system = 12345;
    info.account_kind = -1000;
    const user_info back = decode_user_info(encode_user_info(info));
    EXPECT_EQ(back.last_system, 0);
    EXPECT_EQ(back.account_kind, 0);
    EXPECT_EQ(encode_user_info(info).size(), encode_user_info(user_info{}).size());
}

class UserInfoFile : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "rx_userinfo_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        path_ = (std::filesystem::path(dir_) / "userinfo.dat").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string contents() const { return rx::test::read_file(path_); }
    std::string dir_;
    std::string path_;
};

TEST_F(UserInfoFile, MissingFileIsNoRecord) {
    EXPECT_FALSE(read_user_info_file(path_).has_value());
    EXPECT_TRUE(remove_user_info_file(path_));
}

TEST_F(UserInfoFile, WriteReplacesWholeFileOwnerOnly) {
    {
        std::ofstream old(path_, std::ios::binary);
        old << std::string(3000, 'z');
    }
    ASSERT_TRUE(write_user_info_file(path_, sample()));
    EXPECT_EQ(contents(), encode_user_info(sample()));
    struct stat st {};
    ASSERT_EQ(stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // Nothing but the file itself is left behind.
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir_)) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
    const auto back = read_user_info_file(path_);
    ASSERT_TRUE(back.has_value());
    expect_same(*back, sample());

    EXPECT_TRUE(remove_user_info_file(path_));
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(UserInfoFile, FailedWriteKeepsTheOldFile) {
    ASSERT_TRUE(write_user_info_file(path_, sample()));
    user_info other = sample();
    other.user_name = L"Eve";
    platform::fail_replace_step_for_testing(platform::replace_step::write);
    EXPECT_FALSE(write_user_info_file(path_, other));
    platform::fail_replace_step_for_testing(platform::replace_step::none);
    EXPECT_EQ(contents(), encode_user_info(sample()));
}

TEST_F(UserInfoFile, ReadsOnlyTheFirst1024Bytes) {
    std::string bytes = encode_user_info(sample());
    bytes.resize(1024, '\0');
    bytes += "||||||||||||||||junk";
    {
        std::ofstream out(path_, std::ios::binary);
        out << bytes;
    }
    const auto back = read_user_info_file(path_);
    ASSERT_TRUE(back.has_value());
    expect_same(*back, sample());
}

}  // namespace
}  // namespace rx
