// The profile table against the console table: every console names a profile, the programs and
// settings files are each one emulator's, and rx_retro stands in exactly for the emulators of the
// consoles that have a core.
#include "emulators/profiles.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "emulators/consoles.h"

namespace {

using namespace rx;

TEST(EmulatorProfiles, EveryConsoleNamesAProfileAndRxRetroPlaysExactlyThoseWithACore) {
    std::set<std::string_view> with_core;
    for (const console_row& row : console_table) {
        const emulator_profile* profile = profile_named(row.emulator);
        ASSERT_NE(profile, nullptr) << row.code;
        if (!row.core.empty()) with_core.insert(profile->name);
    }
    for (const emulator_profile& profile : emulator_profiles) {
        EXPECT_EQ(profile.player == linux_player::rx_retro, with_core.count(profile.name) == 1)
            << profile.name;
        // rx_retro reads the screen's rows as pad buttons, so it needs them listed.
        if (profile.player == linux_player::rx_retro) {
            EXPECT_GT(profile.row_count, 0u);
        }
    }
}

TEST(EmulatorProfiles, NamesProgramsAndSettingsFilesAreEachOneEmulators) {
    std::set<std::string_view> names, programs;
    std::set<std::string> files;
    for (const emulator_profile& profile : emulator_profiles) {
        EXPECT_TRUE(names.insert(profile.name).second) << profile.name;
        EXPECT_TRUE(programs.insert(profile.program).second) << profile.name;
        EXPECT_EQ(profile.store == settings_store::file, !profile.settings_file.empty())
            << profile.name;
        if (!profile.settings_file.empty()) {
            EXPECT_TRUE(files.insert(settings_path(profile)).second) << profile.name;
        }
        EXPECT_EQ(profile_named(profile.name), &profile);
    }
    EXPECT_EQ(profile_named("no such emulator"), nullptr);
}

TEST(EmulatorProfiles, SettingsPathsLieBelowTheProgramFolder) {
    const struct {
        const char* emulator;
        char separator;
        const char* path;
    } rows[] = {
        {"vba", '/', "vba.ini"},
        {"1964", '/', "plugin/1964Input.ini"},
        {"1964", '\\', "plugin\\1964Input.ini"},
        {"nester", '/', ""},  // the registry
        {"z26", '/', ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(settings_path(*profile_named(row.emulator), row.separator), row.path)
            << row.emulator;
}

}  // namespace
