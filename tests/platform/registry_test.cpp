// File-backed user registry: round trips, keys kept across rewrites, safe replacement.
#include "platform/registry.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/file.h"
#include "platform/process.h"
#include "platform/registry_text.h"
#include "test_util.h"

namespace {

using rx::test::read_file;
using rx::test::write_file;

class Registry : public testing::Test {
  protected:
    rx::test::env_guard keep_file{"RELICADE_REGISTRY_FILE"};
    rx::test::env_guard keep_xdg{"XDG_CONFIG_HOME"};
    rx::test::temp_dir dir;
    std::string file = dir.file("sub/registry");
    rx::platform::registry& reg = rx::platform::user_registry();
    void SetUp() override { rx::platform::set_environment("RELICADE_REGISTRY_FILE", file.c_str()); }
};

const std::string key = "Software\\nester\\NES\\Input\\Controller1\\Up";

TEST_F(Registry, ValuesRoundTrip) {
    EXPECT_FALSE(reg.read_dword(key, "DeviceType").has_value());
    ASSERT_TRUE(reg.write_dword(key, "DeviceType", 0xDEADBEEF));
    const std::vector<std::uint8_t> guid = {0x61, 0x2B, 0x1D, 0x6F, 0xA0, 0xD5, 0xCF, 0x11,
                                            0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00};
    ASSERT_TRUE(reg.write_binary(key, "DeviceGUID", guid));
    ASSERT_TRUE(reg.write_binary(key, "Empty", {}));
    const std::string awkward = "say \"hi\"\\ there\nnext\ttab \x01\xff=end";
    ASSERT_TRUE(reg.write_string(key, "Text", awkward));

    EXPECT_EQ(reg.read_dword(key, "DeviceType"), 0xDEADBEEFu);
    EXPECT_EQ(reg.read_binary(key, "DeviceGUID"), guid);
    EXPECT_EQ(reg.read_binary(key, "Empty"), std::vector<std::uint8_t>());
    EXPECT_EQ(reg.read_string(key, "Text"), awkward);
    // Windows names keys and values without regard to case.
    EXPECT_EQ(reg.read_dword("software\\NESTER\\nes\\input\\controller1\\up", "devicetype"),
              0xDEADBEEFu);
    // A 4-byte binary reads as a dword, as RegQueryValueExA into a DWORD would; a text never does.
    ASSERT_TRUE(reg.write_binary(key, "DeviceNumber", {0xff, 0xff, 0xff, 0xff}));
    EXPECT_EQ(reg.read_dword(key, "DeviceNumber"), 0xFFFFFFFFu);
    EXPECT_FALSE(reg.read_dword(key, "Text").has_value());
    EXPECT_FALSE(reg.read_string(key, "DeviceType").has_value());
    EXPECT_FALSE(reg.read_dword(key, "DeviceGUID").has_value());
    // Overwriting changes the value in place.
    ASSERT_TRUE(reg.write_dword(key, "DeviceType", 2));
    EXPECT_EQ(reg.read_dword(key, "DeviceType"), 2u);
}

TEST_F(Registry, EveryKeyIsKeptAcrossRewrites) {
    for (int c = 1; c <= 2; ++c) {
        for (const char* button : {"Up", "Down", "Left", "Right", "Select", "Start", "B", "A"}) {
            std::string k =
                "Software\\nester\\NES\\Input\\Controller" + std::to_string(c) + "\\" + button;
            ASSERT_TRUE(
                reg.write_dword(k, "JOffset", static_cast<std::uint32_t>(c * 100 + button[0])));
        }
    }
    for (int c = 1; c <= 2; ++c) {
        for (const char* button : {"Up", "Down", "Left", "Right", "Select", "Start", "B", "A"}) {
            std::string k =
                "Software\\nester\\NES\\Input\\Controller" + std::to_string(c) + "\\" + button;
            EXPECT_EQ(reg.read_dword(k, "JOffset"), static_cast<std::uint32_t>(c * 100 + button[0]))
                << k;
        }
    }
}

TEST_F(Registry, LinesItCannotReadSurviveAWrite) {
    mkdir(dir.file("sub").c_str(), 0700);
    write_file(file,
               "Windows Registry Editor Version 5.00\n\n"
               "[HKEY_CURRENT_USER\\Software\\Other]\n"
               "\"Multi\"=hex(7):41,00,00,00\n"
               "; a note someone left\n"
               "\"Kept\"=dword:0000002a\n");
    ASSERT_TRUE(reg.write_string("Software\\New", "Name", "value"));
    std::string text = read_file(file);
    EXPECT_NE(text.find("\"Multi\"=hex(7):41,00,00,00\n"), std::string::npos);
    EXPECT_NE(text.find("; a note someone left\n"), std::string::npos);
    EXPECT_EQ(reg.read_dword("Software\\Other", "Kept"), 42u);
    EXPECT_EQ(reg.read_string("Software\\New", "Name"), "value");
    // Writing again does not grow the file with blank lines.
    ASSERT_TRUE(reg.write_string("Software\\New", "Name", "value"));
    EXPECT_EQ(read_file(file), text);
}

TEST_F(Registry, RewriteReplacesTheFileInsteadOfTruncatingIt) {
    ASSERT_TRUE(reg.write_dword("Software\\A", "v", 1));
    std::string before = read_file(file);
    // A second name for the old file shows whether it was rewritten in place.
    std::string old_link = dir.file("old");
    ASSERT_EQ(link(file.c_str(), old_link.c_str()), 0);
    ASSERT_TRUE(reg.write_dword("Software\\B", "v", 2));
    EXPECT_EQ(read_file(old_link), before);
    EXPECT_EQ(reg.read_dword("Software\\A", "v"), 1u);
    EXPECT_EQ(reg.read_dword("Software\\B", "v"), 2u);
    // No temporary files are left behind.
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.file("sub"))) {
        std::string name = e.path().filename().string();
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
        ++entries;
    }
    EXPECT_LE(entries, 2);  // the registry and its lock file
}

TEST_F(Registry, AnUnreadableStoreIsNeverReplaced) {
    // A folder where the file should be cannot be read; the write must fail and leave it alone.
    ASSERT_EQ(mkdir(dir.file("sub").c_str(), 0700), 0);
    ASSERT_EQ(mkdir(file.c_str(), 0700), 0);
    write_file(file + "/inside", "precious");
    EXPECT_FALSE(reg.write_dword("Software\\A", "v", 1));
    EXPECT_EQ(read_file(file + "/inside"), "precious");
    EXPECT_FALSE(reg.read_dword("Software\\A", "v").has_value());
}

TEST_F(Registry, WritersInTwoProcessesAndTwoThreadsLoseNothing) {
    auto write_many = [this](const std::string& prefix) {
        for (int i = 0; i < 30; ++i) {
            if (!reg.write_dword("Software\\" + prefix, "v" + std::to_string(i),
                                 static_cast<std::uint32_t>(i))) {
                return false;
            }
        }
        return true;
    };
    ASSERT_TRUE(reg.write_dword("Software\\Start", "v", 0));  // folder exists before the race
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) _exit(write_many("Child") ? 0 : 1);
    bool other_ok = false;
    std::thread other([&] { other_ok = write_many("Thread"); });
    EXPECT_TRUE(write_many("Parent"));
    other.join();
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(other_ok);
    for (const char* prefix : {"Child", "Thread", "Parent"}) {
        for (int i = 0; i < 30; ++i) {
            EXPECT_EQ(reg.read_dword(std::string("Software\\") + prefix, "v" + std::to_string(i)),
                      static_cast<std::uint32_t>(i))
                << prefix << i;
        }
    }
}

TEST_F(Registry, DefaultLocationIsUnderTheConfigFolder) {
    rx::platform::set_environment("RELICADE_REGISTRY_FILE", nullptr);
    rx::platform::set_environment("XDG_CONFIG_HOME", dir.file("config").c_str());
    ASSERT_TRUE(reg.write_string("Software\\X", "n", "v"));
    EXPECT_NE(read_file(dir.file("config/relicade/registry")).find("\"n\"=\"v\""),
              std::string::npos);
}

TEST_F(Registry, KeysExistOnceCreatedAndTheirParentsWithThem) {
    const std::string button = "Software\\nester\\NES\\Input\\Controller2\\Select";
    EXPECT_FALSE(reg.key_exists(button));  // no store at all yet
    ASSERT_TRUE(reg.write_values(button, {}));
    EXPECT_TRUE(reg.key_exists(button));
    EXPECT_TRUE(reg.key_exists("software\\NESTER\\nes\\"));
    EXPECT_TRUE(reg.key_exists("Software\\nester\\NES\\Input\\Controller2"));
    // A sibling whose name merely starts the same is another key.
    EXPECT_FALSE(reg.key_exists("Software\\nester\\NES\\Input\\Controller2\\Sel"));
    EXPECT_FALSE(reg.key_exists("Software\\nester\\NES\\Input\\Controller1"));
    // An empty key survives a rewrite caused by another key.
    ASSERT_TRUE(reg.write_dword("Software\\Other", "v", 1));
    EXPECT_TRUE(reg.key_exists(button));
}

// Counts the renames onto the store file: each one is one replace of the store.
class rename_counter {
  public:
    rename_counter(const std::string& folder, std::string file_name)
        : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), name_(std::move(file_name)) {
        if (fd_ >= 0) inotify_add_watch(fd_, folder.c_str(), IN_MOVED_TO);
    }
    ~rename_counter() {
        if (fd_ >= 0) close(fd_);
    }
    int count() {
        int found = 0;
        alignas(inotify_event) char buffer[8192];
        for (;;) {
            ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n <= 0) break;
            for (char* p = buffer; p < buffer + n;) {
                auto* event = reinterpret_cast<inotify_event*>(p);
                if (event->len > 0 && name_ == event->name) ++found;
                p += sizeof(inotify_event) + event->len;
            }
        }
        return found;
    }
    bool ok() const { return fd_ >= 0; }

  private:
    int fd_;
    std::string name_;
};

TEST_F(Registry, AKeysValuesAreWrittenInOneReplaceWithTheirTypes) {
    ASSERT_TRUE(reg.write_dword("Software\\Before", "v", 7));
    rename_counter renames(dir.file("sub"), "registry");
    ASSERT_TRUE(renames.ok());
    using kind = rx::platform::registry_value::kind;
    std::vector<rx::platform::registry_value> values = {
        {"DeviceGUID", kind::binary, std::vector<std::uint8_t>(16, 0xAB)},
        {"DeviceNumber", kind::binary, {0xff, 0xff, 0xff, 0xff}},
        {"DeviceType", kind::dword, {2, 0, 0, 0}},
        {"Key", kind::binary, {0x9c}},
        {"Name", kind::string, {'p', 'a', 'd'}},
    };
    ASSERT_TRUE(reg.write_values(key, values));
    EXPECT_EQ(renames.count(), 1);
    std::string text = read_file(file);
    EXPECT_NE(text.find("\"DeviceGUID\"=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab\n"),
              std::string::npos);
    EXPECT_NE(text.find("\"DeviceNumber\"=hex:ff,ff,ff,ff\n"), std::string::npos);
    EXPECT_NE(text.find("\"DeviceType\"=dword:00000002\n"), std::string::npos);
    EXPECT_NE(text.find("\"Key\"=hex:9c\n"), std::string::npos);
    EXPECT_EQ(reg.read_string(key, "Name"), "pad");
    EXPECT_EQ(reg.read_dword("Software\\Before", "v"), 7u);

    // A failed replace leaves every value as it was: none of the new ones is half there.
    values[2].data = {3, 0, 0, 0};
    values[3].data = {0x1c};
    rx::platform::fail_replace_step_for_testing(rx::platform::replace_step::rename);
    bool written = reg.write_values(key, values);
    rx::platform::fail_replace_step_for_testing(rx::platform::replace_step::none);
    EXPECT_FALSE(written);
    EXPECT_EQ(reg.read_dword(key, "DeviceType"), 2u);
    EXPECT_EQ(reg.read_binary(key, "Key"), std::vector<std::uint8_t>{0x9c});
    EXPECT_EQ(read_file(file), text);
}

TEST(RegistryText, SerialiseThenParseIsStable) {
    namespace rt = rx::platform::registry_text;
    rt::document doc;
    rt::set(doc, "Software\\A\\", "", rt::value_type::string, {'d', 'e', 'f'});
    rt::set(doc, "Software\\\\B", "x", rt::value_type::binary, {0, 1, 255});
    std::string text = rt::serialise(doc);
    EXPECT_EQ(
        text,
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\A]\n@=\"def\"\n\n"
        "[HKEY_CURRENT_USER\\Software\\B]\n\"x\"=hex:00,01,ff\n");
    EXPECT_EQ(rt::serialise(rt::parse(text)), text);
    // Damaged values are kept as text rather than dropped.
    rt::document damaged = rt::parse("[HKEY_CURRENT_USER\\K]\n\"v\"=dword:12\n\"w\"=\"open\n");
    EXPECT_EQ(rt::find(damaged, "K", "v"), nullptr);
    EXPECT_NE(rt::serialise(damaged).find("\"v\"=dword:12\n\"w\"=\"open\n"), std::string::npos);
}

}  // namespace
