// The whole-file rewrite around each codec: a failed replace leaves the file and nothing else.
#include <gtest/gtest.h>

#include <filesystem>

#include "emulators/binding_codec.h"
#include "emulators/gens_settings.h"
#include "emulators/meka_settings.h"
#include "emulators/zsnes_settings.h"
#include "platform/file.h"
#include "tests/emulators/codec_fixtures.h"
#include "tests/support/files.h"

namespace {

using rx::binding;

std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

struct codec_case {
    const char* file_name;
    std::string text;
    std::function<rx::settings_save(std::string_view, const std::vector<binding>&)> save;
    std::function<void(std::string_view, std::vector<binding>&)> load;
    std::size_t edited;  // a record to change
};

std::vector<codec_case> cases() {
    return {{"gens.cfg", rx::test::padded(rx::test::gens_lines(), 5000), rx::gens::save,
             [](std::string_view b, std::vector<binding>& r) { rx::gens::load(b, r); }, 3},
            {"meka.inp", rx::test::padded(rx::test::meka_lines(), 21000), rx::meka::save,
             [](std::string_view b, std::vector<binding>& r) { rx::meka::load(b, r); }, 3},
            {"zinput.cfg", rx::test::padded(rx::test::zsnes_lines("pl1contrl=1"), 5000),
             rx::zsnes::save,
             [](std::string_view b, std::vector<binding>& r) { rx::zsnes::load(b, r); }, 3}};
}

TEST(SettingsFile, SavedEditReachesTheFileAndAFailedReplaceLeavesItWhole) {
    for (const auto& c : cases()) {
        rx::test::temp_dir dir("rx_codec");
        const std::string path = dir.file(c.file_name);
        ASSERT_TRUE(rx::test::write_file(path, c.text));
        std::vector<binding> records;
        std::string bytes;
        ASSERT_EQ(rx::read_settings_file(path, bytes), rx::settings_file::read);
        c.load(bytes, records);
        rx::test::capture(records[c.edited], rx::input::key(16));
        auto codec = [&](std::string_view b) { return c.save(b, records); };

        for (auto step : {rx::platform::replace_step::create, rx::platform::replace_step::write,
                          rx::platform::replace_step::flush, rx::platform::replace_step::rename}) {
            rx::platform::fail_replace_step_for_testing(step);
            std::vector<std::string> emu{"untouched"};
            auto outcome = rx::save_settings_file(path, c.file_name, codec, emu);
            rx::platform::fail_replace_step_for_testing(rx::platform::replace_step::none);
            EXPECT_FALSE(outcome.written);
            EXPECT_EQ(outcome.log,
                      "Failure writing " + std::string(c.file_name) + " - save_settings");
            EXPECT_EQ(emu, std::vector<std::string>{"untouched"});
            EXPECT_EQ(rx::test::read_file(path), c.text) << c.file_name;
            EXPECT_EQ(entries(dir.path()), std::vector<std::string>{c.file_name});
        }

        std::vector<std::string> emu;
        auto outcome = rx::save_settings_file(path, c.file_name, codec, emu);
        EXPECT_TRUE(outcome.written);
        EXPECT_EQ(outcome.log, "");
        EXPECT_EQ(emu.size(), records.size());
        EXPECT_EQ(rx::test::changed_lines(c.text, rx::test::read_file(path)).size(), 1u)
            << c.file_name;
        EXPECT_EQ(entries(dir.path()), std::vector<std::string>{c.file_name});
    }
}

TEST(SettingsFile, MissingEmptyOrRefusedFilesAreNotWritten) {
    rx::test::temp_dir dir("rx_codec");
    const std::string path = dir.file("zinput.cfg");
    std::vector<binding> records(24, binding{rx::input::key(200), "200", true});
    auto codec = [&](std::string_view b) { return rx::zsnes::save(b, records); };
    std::vector<std::string> emu;
    std::string bytes;
    EXPECT_EQ(rx::read_settings_file(path, bytes), rx::settings_file::missing);
    auto outcome = rx::save_settings_file(path, "zinput.cfg", codec, emu);
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.log, "");
    EXPECT_TRUE(entries(dir.path()).empty());

    ASSERT_TRUE(rx::test::write_file(path, ""));
    EXPECT_EQ(rx::read_settings_file(path, bytes), rx::settings_file::empty);
    outcome = rx::save_settings_file(path, "zinput.cfg", codec, emu);
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(rx::test::read_file(path), "");

    const std::string short_file = "pl1contrl=1\r\npl1keybd=0\r\n";
    ASSERT_TRUE(rx::test::write_file(path, short_file));
    outcome = rx::save_settings_file(path, "zinput.cfg", codec, emu);
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.log, rx::missing_line_text);
    EXPECT_EQ(rx::test::read_file(path), short_file);
}

}  // namespace
