// The Win32 platform layer against the real API: atomic file replacement, HKEY_CURRENT_USER,
// processes, module paths and RCDATA resources, and the environment.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files.h"
#include "full_path.h"
#include "platform/file.h"
#include "platform/path.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/resources.h"

namespace {

namespace fs = std::filesystem;
namespace platform = rx::platform;
using rx::test::full_path;
using rx::test::read_file;
using rx::test::write_file;

std::vector<std::string> names_in(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

class ReplaceFile : public testing::Test {
  protected:
    void TearDown() override {
        platform::fail_replace_step_for_testing(platform::replace_step::none);
        platform::watch_replace_steps_for_testing(nullptr);
        platform::set_system_replace_for_testing(nullptr);
    }
    rx::test::temp_dir dir{"rx_win32_file"};
    std::string path = dir.file("vba.ini");
};

TEST_F(ReplaceFile, ReplacesAnExistingFileAndCreatesANewOne) {
    ASSERT_TRUE(write_file(path, "old contents that are longer than the new ones\r\n"));
    EXPECT_EQ(platform::replace_file(path, "new\r\n"), "");
    EXPECT_EQ(read_file(path), "new\r\n");

    const std::string fresh = dir.file("zinput.cfg");
    EXPECT_EQ(platform::replace_file(fresh, std::string("a\0b\n", 4)), "");
    EXPECT_EQ(read_file(fresh), std::string("a\0b\n", 4));
    // Nothing but the two files: no temporary file is left behind.
    EXPECT_EQ(names_in(dir.path()).size(), 2u);
}

TEST_F(ReplaceFile, EveryFailingStepLeavesTheOriginalAndNoTemporaryFile) {
    ASSERT_TRUE(write_file(path, "original"));
    const std::pair<platform::replace_step, const char*> steps[] = {
        {platform::replace_step::create, "create"},
        {platform::replace_step::write, "write"},
        {platform::replace_step::flush, "flush"},
        {platform::replace_step::rename, "rename"}};
    for (const auto& [step, name] : steps) {
        platform::fail_replace_step_for_testing(step);
        const std::string result = platform::replace_file(path, "replacement");
        EXPECT_EQ(result.rfind(name, 0), 0u) << name << ": " << result;
        EXPECT_EQ(read_file(path), "original") << name;
        EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"vba.ini"}) << name;
    }
}

// What Windows' in-place replace can leave behind when it fails half way.
enum class left_behind { nothing_moved, original_deleted, original_moved_aside };

struct half_done_replace {
    DWORD error;
    left_behind effect;
    const char* expected;  // the whole file at the path afterwards
};

half_done_replace playing;

// Plays the system's call failing after it did `playing.effect`: without a backup name the
// original moved aside lands where nobody looks for it.
unsigned long failing_replace(const std::string& target, const std::string&,
                              const std::string& backup) {
    if (playing.effect == left_behind::original_deleted) DeleteFileA(target.c_str());
    if (playing.effect == left_behind::original_moved_aside)
        MoveFileA(target.c_str(), (backup.empty() ? target + ".~unknown" : backup).c_str());
    return playing.error;
}

TEST_F(ReplaceFile, AReplaceThatFailsHalfWayLeavesAWholeFileAtThePath) {
    const half_done_replace cases[] = {
        {ERROR_UNABLE_TO_REMOVE_REPLACED, left_behind::nothing_moved, "original"},
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT, left_behind::nothing_moved, "original"},
        // Without a backup name Windows has already removed the original: the new file is all
        // there is.
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT, left_behind::original_deleted, "replacement"},
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, left_behind::original_moved_aside, "original"},
        {ERROR_SHARING_VIOLATION, left_behind::nothing_moved, "original"},
    };
    for (const half_done_replace& c : cases) {
        rx::test::temp_dir own{"rx_win32_half"};
        const std::string target = own.file("vba.ini");
        ASSERT_TRUE(write_file(target, "original"));
        playing = c;
        platform::set_system_replace_for_testing(failing_replace);
        const std::string result = platform::replace_file(target, "replacement");
        platform::set_system_replace_for_testing(nullptr);
        const std::string what = std::to_string(c.error) + " " + c.expected;
        EXPECT_EQ(read_file(target), c.expected) << what << ": " << result;
        if (c.expected == std::string("original")) {
            EXPECT_EQ(result, "rename: error " + std::to_string(c.error)) << what;
        }
        EXPECT_EQ(names_in(own.path()), std::vector<std::string>{"vba.ini"}) << what;
    }
}

std::vector<platform::replace_step> steps_taken;

// The new bytes reach the disk after the last write and before they take the file's place, for
// a file replaced and for a new one.
TEST_F(ReplaceFile, TheBytesAreFlushedBeforeTheReplace) {
    ASSERT_TRUE(write_file(path, "old"));
    for (const std::string& target : {path, dir.file("1964Input.ini")}) {
        steps_taken.clear();
        platform::watch_replace_steps_for_testing(
            [](platform::replace_step step) { steps_taken.push_back(step); });
        const std::string result = platform::replace_file(target, std::string(100000, 'n'));
        platform::watch_replace_steps_for_testing(nullptr);
        ASSERT_EQ(result, "") << target;
        ASSERT_GE(steps_taken.size(), 4u) << target;
        EXPECT_EQ(steps_taken.front(), platform::replace_step::create) << target;
        EXPECT_EQ(steps_taken[1], platform::replace_step::write) << target;
        const std::vector<platform::replace_step> end(steps_taken.end() - 2, steps_taken.end());
        EXPECT_EQ(end, (std::vector<platform::replace_step>{platform::replace_step::flush,
                                                            platform::replace_step::rename}))
            << target;
    }
}

TEST_F(ReplaceFile, AReadOnlyFileIsReportedAndKept) {
    ASSERT_TRUE(write_file(path, "locked"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string result = platform::replace_file(path, "changed");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_NE(result, "");
    EXPECT_EQ(read_file(path), "locked");
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"vba.ini"});
}

TEST_F(ReplaceFile, ReadsBytesUntranslatedAndRefusesWhatIsTooLarge) {
    const std::string bytes("line\r\n\x1a\0end", 10);
    ASSERT_TRUE(write_file(path, bytes));
    std::string got;
    EXPECT_EQ(platform::read_whole_file(path, got), platform::read_status::ok);
    EXPECT_EQ(got, bytes);
    EXPECT_EQ(platform::read_whole_file(path, got, 9), platform::read_status::too_large);
    EXPECT_EQ(got, "");
    EXPECT_EQ(platform::read_whole_file(dir.file("missing.ini"), got),
              platform::read_status::missing);
}

// Each run uses its own key under HKEY_CURRENT_USER and removes it afterwards.
class Registry : public testing::Test {
  protected:
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, root.c_str()); }

    DWORD raw_type(const std::string& name) {
        DWORD type = REG_NONE;
        HKEY handle = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &handle) ==
            ERROR_SUCCESS) {
            RegQueryValueExA(handle, name.c_str(), nullptr, &type, nullptr, nullptr);
            RegCloseKey(handle);
        }
        return type;
    }

    void set_raw(const std::string& name, DWORD type, const std::vector<BYTE>& data) {
        HKEY handle = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &handle, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(handle, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
        RegCloseKey(handle);
    }

    std::string root = "Software\\RelicadeTest" + std::to_string(GetCurrentProcessId());
    std::string key = root + "\\nester\\NES\\Input\\Controller1\\Up";
    platform::registry& reg = platform::user_registry();
};

TEST_F(Registry, ValuesRoundTripWithTheirWindowsTypes) {
    EXPECT_FALSE(reg.read_dword(key, "DeviceType").has_value());
    ASSERT_TRUE(reg.write_dword(key, "DeviceType", 0xDEADBEEF));
    const std::vector<std::uint8_t> guid = {0x61, 0x2B, 0x1D, 0x6F, 0xA0, 0xD5, 0xCF, 0x11,
                                            0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00};
    ASSERT_TRUE(reg.write_binary(key, "DeviceGUID", guid));
    ASSERT_TRUE(reg.write_string(key, "Name", "Keyboard"));

    EXPECT_EQ(reg.read_dword(key, "DeviceType"), 0xDEADBEEFu);
    EXPECT_EQ(reg.read_binary(key, "DeviceGUID"), guid);
    EXPECT_EQ(reg.read_string(key, "Name"), "Keyboard");
    EXPECT_EQ(raw_type("DeviceType"), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(raw_type("DeviceGUID"), static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(raw_type("Name"), static_cast<DWORD>(REG_SZ));
}

TEST_F(Registry, ReadsOnlyValuesOfAFittingTypeAndSize) {
    set_raw("DeviceNumber", REG_BINARY, {0x02, 0x00, 0x00, 0x00});
    set_raw("Short", REG_BINARY, {0x01, 0x02, 0x03});
    set_raw("Text", REG_SZ, {'a', 'b', 0});
    EXPECT_EQ(reg.read_dword(key, "DeviceNumber"), 2u);
    EXPECT_FALSE(reg.read_dword(key, "Short").has_value());
    EXPECT_FALSE(reg.read_dword(key, "Text").has_value());
    EXPECT_FALSE(reg.read_string(key, "DeviceNumber").has_value());
    EXPECT_EQ(reg.read_string(key, "Text"), "ab");
    EXPECT_FALSE(reg.read_string(key + "\\Missing", "Text").has_value());
}

class Processes : public testing::Test {
  protected:
    platform::process_runner& runner = platform::system_processes();
    const std::string child = full_path(RX_TEST_CHILD);

    bool ends_within(platform::process_handle process, DWORD ms) {
        for (DWORD waited = 0; waited < ms; waited += 20) {
            if (!runner.is_running(process)) return true;
            Sleep(20);
        }
        return !runner.is_running(process);
    }

    DWORD exit_code(platform::process_handle process) {
        DWORD code = 0;
        GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &code);
        return code;
    }
};

TEST_F(Processes, StartsAProgramWithItsParametersAndSeesItEnd) {
    platform::process_handle process = runner.start(child, "exit 7");
    ASSERT_NE(process, 0);
    EXPECT_TRUE(ends_within(process, 20000));
    EXPECT_EQ(exit_code(process), 7u);
    runner.close(process);
}

TEST_F(Processes, TerminatesARunningProgramWithTheGivenCode) {
    platform::process_handle process = runner.start(child, "wait");
    ASSERT_NE(process, 0);
    Sleep(200);
    EXPECT_TRUE(runner.is_running(process));
    int error = -1;
    EXPECT_TRUE(runner.terminate(process, 3, error));
    EXPECT_EQ(error, 0);
    EXPECT_TRUE(ends_within(process, 10000));
    EXPECT_EQ(exit_code(process), 3u);
    runner.close(process);
}

TEST_F(Processes, StartsAProgramAndForgetsIt) {
    EXPECT_TRUE(runner.start_detached(child, "exit 0"));
}

// A missing emulator is a failed start, reported at once (no shell error box waits for a click).
TEST_F(Processes, FailuresAreReportedNotHidden) {
    EXPECT_EQ(runner.start(full_path(RX_PROGRAM_DIR) + "\\no_such_program.exe", ""), 0);
    EXPECT_FALSE(runner.is_running(0));
    int error = 0;
    EXPECT_FALSE(runner.terminate(0, 0, error));
    EXPECT_EQ(error, static_cast<int>(ERROR_INVALID_HANDLE));
}

TEST(Environment, ReachesBothTheRuntimeAndStartedPrograms) {
    platform::set_environment("RX_WIN32_TEST_VALUE", "a=b c");
    EXPECT_EQ(platform::get_environment("RX_WIN32_TEST_VALUE"), "a=b c");
    char buffer[64] = {};
    EXPECT_EQ(GetEnvironmentVariableA("RX_WIN32_TEST_VALUE", buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "a=b c");
    platform::set_environment("RX_WIN32_TEST_VALUE", "");
    EXPECT_EQ(platform::get_environment("RX_WIN32_TEST_VALUE"), "");
}

TEST(Paths, UseWindowsNamesAndSeparators) {
    EXPECT_EQ(platform::program_file_name("rx_update"), "rx_update.exe");
    EXPECT_EQ(platform::join_path("C:\\Relicade", "plugin/1964Input.ini"),
              "C:\\Relicade\\plugin\\1964Input.ini");
    char module[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, module, MAX_PATH);
    ASSERT_GT(n, 0u);
    std::string expected(module, n);
    expected.erase(expected.find_last_of('\\'));
    EXPECT_EQ(platform::executable_directory(), expected);
}

// rxlib.dll as an emulator loads it: its folder and its embedded artwork and font, byte for byte.
TEST(Resources, RxlibCarriesItsArtworkAndKnowsItsFolder) {
    const std::string folder = full_path(RX_PROGRAM_DIR);
    HMODULE library =
        LoadLibraryExA((folder + "\\rxlib.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    ASSERT_NE(library, nullptr) << GetLastError();
    const void* inside = reinterpret_cast<const void*>(GetProcAddress(library, "rx_init"));
    ASSERT_NE(inside, nullptr);
    EXPECT_EQ(platform::module_directory(inside), folder);
    for (int id = 1001; id <= 1008; ++id) {
        const std::string file = std::string(RX_RXLIB_RESOURCE_DIR) + "/" + std::to_string(id) +
                                 (id == 1003 ? ".ttf" : ".png");
        const std::string expected = read_file(file);
        ASSERT_FALSE(expected.empty()) << file;
        auto bytes = platform::find_resource(id, inside);
        ASSERT_TRUE(bytes.has_value()) << id;
        EXPECT_TRUE(*bytes == expected) << id;
    }
    EXPECT_FALSE(platform::find_resource(1009, inside).has_value());
    // Resources are looked up in the module that holds the address, not in the program.
    EXPECT_FALSE(
        platform::find_resource(1001, reinterpret_cast<const void*>(&full_path)).has_value());
    FreeLibrary(library);
}

}  // namespace
