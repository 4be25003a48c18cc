// The VisualBoyAdvance screens with a real vba.ini in a private program folder: loading, saving
// what was and was not touched, short and long files, and a failed write.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "browser/app/screens.h"
#include "emulators/settings_lines.h"
#include "platform/file.h"
#include "tests/browser_core/sdl_support.h"

namespace rx {
namespace {

// A vba.ini with `count` lines; the binding lines hold the emulator's keys and `values` (in line
// order 81, 82, 83, 87 .. 93), every other line a numbered filler ending in CR LF.
std::string vba_file(int count, const std::vector<std::string>& values) {
    const std::pair<int, const char*> keys[] = {
        {81, "Joy0_Left="},  {82, "Joy0_Right="}, {83, "Joy0_Up="}, {87, "Joy0_Down="},
        {88, "Joy0_A="},     {89, "Joy0_B="},     {90, "Joy0_L="},  {91, "Joy0_R="},
        {92, "Joy0_Start="}, {93, "Joy0_Select="}};
    std::string text;
    for (int i = 0; i < count; ++i) {
        std::string line = "Other" + std::to_string(i) + "=" + std::to_string(i * 7) + "\r\n";
        for (std::size_t k = 0; k < 10; ++k) {
            if (keys[k].first == i) line = std::string(keys[k].second) + values[k] + "\r\n";
        }
        text += line;
    }
    return text;
}

const std::vector<std::string> plain{"203", "205", "200", "208", "44",
                                     "45",  "30",  "31",  "28",  "14"};

class GameboyScreenTest : public test::sdl_test {
  protected:
    void SetUp() override {
        sdl_test::SetUp();
        screens().of("GB").init();
        screens().of("GBC").init();
    }
    void TearDown() override {
        platform::fail_replace_step_for_testing(platform::replace_step::none);
        sdl_test::TearDown();
    }
    void write(const std::string& bytes) { ASSERT_TRUE(test::write_file(path(), bytes)); }
    std::string path() const { return folder_.file("vba.ini"); }
    std::string read() const { return folder_.read("vba.ini"); }
    std::string log() const { return folder_.read("error_log.txt"); }
    static std::string shown(int row) { return shown_name(screens().of("GB").record(0, 0, row)); }
    // What a capture box does to a row.
    static void capture(console_screen& screen, int row, const input& captured) {
        screen.record(0, 0, row).id = captured;
        screen.record(0, 0, row).captured = true;
    }
};

TEST_F(GameboyScreenTest, LoadShowsNamesAndAnUntouchedSaveKeepsTheFile) {
    write(vba_file(100, plain));
    auto& gb = screens().of("GB");
    ASSERT_TRUE(gb.load_controls());
    EXPECT_EQ(shown(0), "Up");
    EXPECT_EQ(shown(1), "Down");
    EXPECT_EQ(shown(2), "Left");
    EXPECT_EQ(gb.record(0, 0, 2).emu, "203\r");
    EXPECT_EQ(shown(4), "Backspace");
    EXPECT_EQ(shown(5), "Enter");
    EXPECT_EQ(gb.box(0, 2).shown_text(), "Left");
    const std::string before = read();
    gb.save_settings();
    EXPECT_EQ(read(), before);
    EXPECT_EQ(log(), "");
}

TEST_F(GameboyScreenTest, EdgeValuesRoundTripAsTheEmulatorReadsThem) {
    // Left 55 (no name), Right 642, Up 260 (unknown joystick code), Down 156 (keypad Enter),
    // R 1 (Escape, shown as "1").
    write(vba_file(94, {"55", "642", "260", "156", "44", "45", "30", "1", "28", "14"}));
    auto& gb = screens().of("GB");
    ASSERT_TRUE(gb.load_controls());
    EXPECT_EQ(shown(2), "55");
    EXPECT_EQ(shown(3), "Joystick 2 Button 2");
    EXPECT_EQ(shown(0), "Joystick 1 ");
    EXPECT_EQ(shown(1), "Enter");
    EXPECT_EQ(shown(9), "1");
    const std::string before = read();
    gb.save_settings();
    // Rows nobody captured into keep their codes: bare numbers, keypad Enter and the unnamed
    // joystick input alike.
    EXPECT_EQ(read(), before);
    EXPECT_EQ(log(), "");
}

TEST_F(GameboyScreenTest, CapturedNamesAreWrittenAndTheOtherScreensShareTheLines) {
    write(vba_file(94, plain));
    auto& gb = screens().of("GB");
    ASSERT_TRUE(gb.load_controls());
    capture(gb, 2, input::key(156));  // keypad Enter, which no capture box makes
    capture(gb, 6, input::button(1, 3));
    // An input the file has no code for keeps the row's loaded value.
    capture(gb, 7, input::joystick_only(1));
    gb.save_settings();
    const std::vector<std::string> saved{"156", "205", "200", "208", "387",
                                         "45",  "30",  "31",  "28",  "14"};
    EXPECT_EQ(read(), vba_file(94, saved));
    auto& color = screens().of("GBC");
    ASSERT_TRUE(color.load_controls());
    EXPECT_EQ(color.record(0, 0, 6).id, input::button(1, 3));
    capture(color, 6, input::key(44));
    color.save_settings();
    ASSERT_TRUE(gb.load_controls());
    EXPECT_EQ(shown(6), "Z");
}

TEST_F(GameboyScreenTest, MissingOrEmptyFileKeepsTheRecordsAndWritesNothing) {
    auto& gb = screens().of("GB");
    gb.record(0, 0, 0).id = input::key(16);
    EXPECT_FALSE(gb.load_controls());
    EXPECT_EQ(shown(0), "Q");
    EXPECT_EQ(gb.box(0, 0).shown_text(), "Q");
    gb.save_settings();
    EXPECT_FALSE(folder_.exists("vba.ini"));
    write("");
    EXPECT_FALSE(gb.load_controls());
    gb.save_settings();
    EXPECT_EQ(read(), "");
    EXPECT_EQ(log(), "");
}

TEST_F(GameboyScreenTest, SaveOverAFileThatCannotBeReadIsLogged) {
    ASSERT_EQ(mkdir(path().c_str(), 0755), 0);  // there, but no file to read
    auto& gb = screens().of("GB");
    capture(gb, 0, input::key(17));
    gb.save_settings();
    EXPECT_EQ(log(), "Failure reading vba.ini - save_settings\n");
}

TEST_F(GameboyScreenTest, AButtonTheFileCannotHoldKeepsTheRowAndIsLogged) {
    write(vba_file(94, plain));
    auto& gb = screens().of("GB");
    ASSERT_TRUE(gb.load_controls());
    capture(gb, 0, input::button(1, 130));  // would read back as joystick 2
    capture(gb, 6, input::button(1, 3));
    gb.save_settings();
    std::vector<std::string> values = plain;
    values[4] = "387";
    EXPECT_EQ(read(), vba_file(94, values));
    EXPECT_EQ(log(), "Failure storing Joystick 1 Button 130 - save_settings\n");
}

TEST_F(GameboyScreenTest, ShortFileLoadsTheLinesBeforeTheGapAndIsNeverWritten) {
    // 93 lines: every binding line but Select (93).
    const std::string text = vba_file(93, plain);
    write(text);
    auto& gb = screens().of("GB");
    gb.record(0, 0, 4).id = input::key(37);
    EXPECT_FALSE(gb.load_controls());
    EXPECT_EQ(shown(2), "Left");
    EXPECT_EQ(shown(5), "Enter");
    EXPECT_EQ(shown(4), "K");
    EXPECT_EQ(log(), "invalid vector<T> subscript\n");
    capture(gb, 2, input::key(30));
    gb.save_settings();
    EXPECT_EQ(read(), text);
    EXPECT_EQ(log(), "invalid vector<T> subscript\ninvalid vector<T> subscript\n");
}

TEST_F(GameboyScreenTest, LongFileKeepsEverythingPastTheBindings) {
    std::string text = vba_file(94, plain);
    std::string tail;
    for (int i = 0; tail.size() < 9000; ++i) tail += "Extra" + std::to_string(i) + "=x\r\n";
    tail += "no line feed";
    text += tail;
    ASSERT_GT(text.size(), 4096u);
    write(text);
    auto& gb = screens().of("GB");
    ASSERT_TRUE(gb.load_controls());
    capture(gb, 0, input::key(17));
    gb.save_settings();
    std::vector<std::string> values = plain;
    values[2] = "17";
    EXPECT_EQ(read(), vba_file(94, values) + tail);
}

TEST_F(GameboyScreenTest, FailedWriteLeavesTheOriginalAndNoTemporaryFile) {
    const std::string text = vba_file(94, plain);
    write(text);
    auto& gb = screens().of("GB");
    ASSERT_TRUE(gb.load_controls());
    capture(gb, 0, input::key(17));
    for (auto step : {platform::replace_step::create, platform::replace_step::write,
                      platform::replace_step::flush, platform::replace_step::rename}) {
        platform::fail_replace_step_for_testing(step);
        gb.save_settings();
        EXPECT_EQ(read(), text);
        int entries = 0;
        for (const auto& e : std::filesystem::directory_iterator(folder_.path())) {
            const std::string name = e.path().filename().string();
            EXPECT_TRUE(name == "vba.ini" || name == "images" || name == "NEURPOLI.TTF" ||
                        name == "error_log.txt")
                << name;
            ++entries;
        }
        EXPECT_LE(entries, 4);
    }
    EXPECT_NE(log().find("Failure writing vba.ini - save_settings"), std::string::npos);
    platform::fail_replace_step_for_testing(platform::replace_step::none);
    gb.save_settings();
    EXPECT_NE(read(), text);
    EXPECT_EQ(split_lines(read())[83], "Joy0_Up=17\r\n");
}

TEST_F(GameboyScreenTest, ThreeScreensDifferOnlyInTitle) {
    EXPECT_EQ(screens().of("GB").title(), "Gameboy Controls:");
    EXPECT_EQ(screens().of("GBC").title(), "Gameboy Color Controls:");
    EXPECT_EQ(screens().of("GBA").title(), "Gameboy Advance Controls:");
    EXPECT_EQ(screens().of("GBA").layout().size(), screens().of("GB").layout().size());
    screens().of("GB").show();
}

}  // namespace
}  // namespace rx
