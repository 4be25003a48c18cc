// The Nintendo 64, NES and Turbo Graphics 16 screens: captures through the boxes, Save Settings,
// and the emulators' files and keys they read and write.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>

#include "browser/app/app.h"
#include "browser/app/screens.h"
#include "browser/controls/rx_n64_controls_input.h"
#include "browser/controls/rx_nes_controls_input.h"
#include "browser/controls/rx_pce_controls_input.h"
#include "platform/file.h"
#include "platform/input_guid.h"
#include "tests/browser_core/sdl_support.h"
#include "tests/controls/screen_input.h"

namespace rx {
namespace {

using namespace test::screen_input;

const std::string keyboard = "{6F1D2B61-D5A0-11CF-BFC7-444553540000}";
const std::string pad = "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}";

class DinputScreens : public test::sdl_test {
  protected:
    void SetUp() override {
        sdl_test::SetUp();
        controlbox::set_settle_wait([](Uint32) {});
        platform::device_list devices;
        devices.enumerated = true;
        devices.keyboard = keyboard;
        devices.controllers.push_back({"Pad", pad});
        platform::fake_input_devices_for_testing(devices);
    }
    void TearDown() override {
        platform::fake_input_devices_for_testing(std::nullopt);
        platform::fail_replace_step_for_testing(platform::replace_step::none);
        controlbox::set_settle_wait(nullptr);
        app::clear_controls();
        sdl_test::TearDown();
    }
    std::string error_log() { return folder_.read("error_log.txt"); }
};

// ---- Nintendo 64 ----

const std::string n64_head = "[Plugin]\r\nName=DirectInput\r\n\r\n";
const std::string n64_tail = "[Other]\r\nX=1\r\n";
const std::string n64_text = n64_head +
                             "[Controls]\r\n"
                             "#Keyboard\r\n"
                             "DInputGUID=" +
                             keyboard +
                             "\r\n"
                             "Button=0 17 C8 0 5\r\n"
                             "Button=1 17 11 0 5\r\n"
                             "Button=0 99 1F 0 5\r\n"
                             "\r\n" +
                             n64_tail;

TEST_F(DinputScreens, N64CapturesIntoBothColumnsAndSavesTheSection) {
    ASSERT_EQ(mkdir(folder_.file("plugin").c_str(), 0755), 0);
    ASSERT_TRUE(test::write_file(folder_.file("plugin/1964Input.ini"), n64_text));
    rx_n64_controls_input s;
    s.init();
    ASSERT_TRUE(s.load_controls());
    EXPECT_EQ(shown_name(s.record(0, 0, 0)), "Up");
    EXPECT_EQ(s.box(0, 0).shown_text(), "Up");
    // D-pad left: third row of the right column.
    click(s, 600, 60 + 2 * 30 + 10);
    ASSERT_TRUE(s.box(0, 12).capturing());
    press(s, SDLK_q);
    EXPECT_EQ(shown_name(s.record(0, 0, 12)), "Q");
    // Stick left, in the left column, takes the second stick's axis.
    click(s, 200, 60 + 2 * 30 + 10);
    ASSERT_TRUE(s.box(0, 2).capturing());
    s.handle_events(test::make_joystick_axis(0, 2, -20000));
    EXPECT_EQ(shown_name(s.record(0, 0, 2)), "Joystick 1 axis 2 dir 0");
    click(s, 380, 375);  // Save Settings
    const std::string saved = folder_.read("plugin/1964Input.ini");
    EXPECT_EQ(saved, n64_head +
                         "[Controls]\r\n"
                         "# Button format: controlnum buttonID bOffset bAxisID bBtnType\r\n"
                         "#Keyboard\r\n"
                         "DInputGUID=" +
                         keyboard +
                         "\r\n"
                         "Button=0 17 C8 0 5\r\n"
                         "Button=0 01 10 0 5\r\n"
                         "#Joystick\r\n"
                         "DInputGUID=" +
                         pad +
                         "\r\n"
                         "Button=0 15 2 1 2\r\n"
                         "DInputGUID=" +
                         keyboard +
                         "\r\n"
                         "Button=1 17 11 0 5\r\n"
                         "Button=0 99 1F 0 5\r\n"
                         "\r\n" +
                         n64_tail);
    EXPECT_FALSE(s.record(0, 0, 12).captured);
    EXPECT_EQ(error_log(), "");
}

TEST_F(DinputScreens, N64WithoutItsFileKeepsTheRowsAndWritesNothing) {
    rx_n64_controls_input s;
    s.init();
    s.record(0, 0, 4).id = input::key(57);
    EXPECT_FALSE(s.load_controls());
    EXPECT_EQ(shown_name(s.record(0, 0, 4)), "Space");
    click(s, 380, 375);
    EXPECT_FALSE(folder_.exists("plugin/1964Input.ini"));
    // A failed replace leaves the file as it was and is logged.
    ASSERT_EQ(mkdir(folder_.file("plugin").c_str(), 0755), 0);
    ASSERT_TRUE(test::write_file(folder_.file("plugin/1964Input.ini"), n64_text));
    ASSERT_TRUE(s.load_controls());
    s.record(0, 0, 0) = binding{input::key(17), "", true};
    platform::fail_replace_step_for_testing(platform::replace_step::flush);
    click(s, 380, 375);
    EXPECT_EQ(folder_.read("plugin/1964Input.ini"), n64_text);
    EXPECT_EQ(error_log(), "Failure writing 1964Input.ini - save_settings\n");
}

TEST_F(DinputScreens, N64SaveOverAFileThatCannotBeReadIsLogged) {
    ASSERT_EQ(mkdir(folder_.file("plugin").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(folder_.file("plugin/1964Input.ini").c_str(), 0755), 0);
    rx_n64_controls_input s;
    s.init();
    click(s, 200, 60 + 10);
    press(s, SDLK_w);
    click(s, 380, 375);
    EXPECT_EQ(error_log(), "Failure reading 1964Input.ini - save_settings\n");
}

// ---- NES ----

// The program folder holds the user registry's file for the test (see program_folder).
class NesScreen : public DinputScreens {};

TEST_F(NesScreen, SecondControllerCapturesAreSavedAndTheRestLeftAlone) {
    rx_nes_controls_input s;
    s.init();
    ASSERT_TRUE(s.load_controls());
    EXPECT_EQ(s.box(0, 5).shown_text(), "Enter");
    const std::string defaults = folder_.read("registry");
    ASSERT_NE(defaults.find("Controller2\\B]"), std::string::npos);
    auto& store = platform::user_registry();
    EXPECT_EQ(store.read_binary("Software\\nester\\NES\\Input\\Controller1\\Start", "Key"),
              std::vector<std::uint8_t>{156});

    click(s, 765, 67);  // player 2
    ASSERT_EQ(s.selected_player(), 1);
    EXPECT_EQ(s.box(0, 0).shown_text(), "R");
    click(s, 300, 90 + 10);
    press(s, SDLK_t);
    click(s, 300, 90 + 30 + 10);
    s.handle_events(test::make_joystick_hat(0, SDL_HAT_UP));  // hats are not taken here
    EXPECT_TRUE(s.box(0, 1).capturing());
    s.handle_events(test::make_joystick_axis(0, 1, 30000));
    EXPECT_EQ(shown_name(s.record(1, 0, 1)), "Joystick 1 axis 1 dir 1");
    click(s, 380, 345);  // Save Settings

    const std::string up2 = "Software\\nester\\NES\\Input\\Controller2\\Up";
    const std::string down2 = "Software\\nester\\NES\\Input\\Controller2\\Down";
    EXPECT_EQ(store.read_binary(up2, "Key"), std::vector<std::uint8_t>{20});
    EXPECT_EQ(store.read_dword(down2, "DeviceType"), 3u);
    EXPECT_EQ(store.read_dword(down2, "JOffset"), 4u);
    EXPECT_EQ(store.read_dword(down2, "JAxisPositive"), 1u);
    auto guid = platform::guid_bytes(pad);
    EXPECT_EQ(store.read_binary(down2, "DeviceGUID"),
              std::vector<std::uint8_t>(guid->begin(), guid->end()));
    // Keypad Enter on controller 1 was not touched and stays keypad Enter.
    EXPECT_EQ(store.read_binary("Software\\nester\\NES\\Input\\Controller1\\Start", "Key"),
              std::vector<std::uint8_t>{156});
    EXPECT_EQ(error_log(), "");
    // Reopening shows what was saved, controller 1 first.
    ASSERT_TRUE(s.load_controls());
    EXPECT_EQ(s.selected_player(), 0);
    EXPECT_EQ(shown_name(s.record(1, 0, 0)), "T");
}

TEST_F(NesScreen, AFailedWriteIsLoggedAndTriedAgainByTheNextSave) {
    rx_nes_controls_input s;
    s.init();
    ASSERT_TRUE(s.load_controls());
    click(s, 300, 90 + 10);
    press(s, SDLK_y);
    platform::fail_replace_step_for_testing(platform::replace_step::rename);
    click(s, 380, 345);
    EXPECT_EQ(error_log(), "Failed to write key - write_nes_key\n");
    platform::fail_replace_step_for_testing(platform::replace_step::none);
    click(s, 380, 345);
    EXPECT_EQ(platform::user_registry().read_binary("Software\\nester\\NES\\Input\\Controller1\\Up",
                                                    "Key"),
              std::vector<std::uint8_t>{21});
}

// ---- Turbo Graphics 16 ----

std::string ootake_file(std::size_t marker_at, std::size_t size) {
    std::mt19937 random(42);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() % 3 == 0 ? 0 : random() & 0xFF);
    bytes.replace(marker_at, ootake::marker.size(), ootake::marker);
    // Player 1 Up is W (17), player 2 Right (entry 1) is the first joystick's button 2.
    bytes[marker_at + 280] = 17;
    bytes[marker_at + 281] = 0;
    bytes[marker_at + 306] = static_cast<char>(352 & 0xFF);
    bytes[marker_at + 307] = static_cast<char>(352 >> 8);
    return bytes;
}

TEST_F(DinputScreens, PceSavesOnlyTheTwoBlocks) {
    const std::size_t at = 60001;
    const std::string before = ootake_file(at, 70000);
    ASSERT_TRUE(test::write_file(folder_.file("ootake.dat"), before));
    rx_pce_controls_input s;
    s.init();
    ASSERT_TRUE(s.load_controls());
    EXPECT_EQ(s.box(0, 0).shown_text(), "W");
    EXPECT_EQ(shown_name(s.record(1, 0, 3)), "Joystick 1 Button 2");
    click(s, 765, 67);                // player 2
    click(s, 350, 90 + 2 * 30 + 10);  // Left
    press(s, SDLK_LEFT);
    click(s, 380, 345);
    const std::string after = folder_.read("ootake.dat");
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (i == at + 304 + 6) {
            EXPECT_EQ(static_cast<unsigned char>(after[i]), 203);
        } else if (i != at + 304 + 7) {
            ASSERT_EQ(after[i], before[i]) << i;
        }
    }
    EXPECT_EQ(after[at + 304 + 7], 0);
    EXPECT_EQ(s.selected_player(), 1);
    EXPECT_EQ(error_log(), "");
}

TEST_F(DinputScreens, PceSaveOverAFileThatCannotBeReadIsLogged) {
    ASSERT_EQ(mkdir(folder_.file("ootake.dat").c_str(), 0755), 0);
    rx_pce_controls_input s;
    s.init();
    click(s, 350, 90 + 10);
    press(s, SDLK_w);
    click(s, 380, 345);
    EXPECT_EQ(error_log(), "Failure reading ootake.dat - save_settings\n");
}

TEST_F(DinputScreens, PceButtonTheFileCannotHoldKeepsItsCodeAndIsLogged) {
    const std::string before = ootake_file(100, 2000);
    ASSERT_TRUE(test::write_file(folder_.file("ootake.dat"), before));
    rx_pce_controls_input s;
    s.init();
    ASSERT_TRUE(s.load_controls());
    // Fifty codes per joystick hold buttons 0 to 49; button 50 would be the next joystick's stick.
    s.record(0, 0, 0).id = input::button(1, 50);
    s.record(0, 0, 0).captured = true;
    click(s, 380, 345);
    EXPECT_EQ(folder_.read("ootake.dat"), before);
    EXPECT_EQ(shown_name(s.record(0, 0, 0)), "W");
    EXPECT_EQ(error_log(), "Failure storing Joystick 1 Button 50 - save_settings\n");
}

TEST_F(DinputScreens, PceWithoutTheMarkerLoadsNothingAndWritesNothing) {
    std::string bytes = ootake_file(100, 2000);
    bytes.replace(100, 5, "[APP ");
    bytes[104] = '\0';
    ASSERT_TRUE(test::write_file(folder_.file("ootake.dat"), bytes));
    rx_pce_controls_input s;
    s.init();
    s.record(0, 0, 0).id = input::key(30);
    // The load stops with the range error the controls menu logs (it then stays on screen).
    EXPECT_THROW(s.load_controls(), std::out_of_range);
    EXPECT_EQ(shown_name(s.record(0, 0, 0)), "A");
    click(s, 380, 345);
    EXPECT_EQ(folder_.read("ootake.dat"), bytes);
    EXPECT_EQ(error_log(), "Failure writing ootake.dat - save_settings\n");
}

TEST_F(DinputScreens, PceScreenDoesNotOpenWithoutBothBlocks) {
    auto& pce = screens().of("PCE");
    pce.init();
    screens().controls.init();
    pce.record(0, 0, 0).id = input::key(37);
    std::string no_marker = ootake_file(100, 2000);
    no_marker[101] = 'a';
    const std::string too_short = ootake_file(100, 2000).substr(0, 100 + 304 + 15);
    int attempts = 0;
    const std::vector<const std::string*> files{nullptr, &no_marker, &too_short};
    for (const std::string* bytes : files) {
        if (bytes != nullptr) {
            ASSERT_TRUE(test::write_file(folder_.file("ootake.dat"), *bytes));
        }
        app::set_current_screen(screen_controls);
        app::clear_controls();
        wrapper_click(10, 560);  // the Turbo Graphics 16 button
        ++attempts;
        EXPECT_EQ(app::current_screen(), screen_controls) << attempts;
        EXPECT_EQ(shown_name(pce.record(0, 0, 0)), "K");
        // The click is spent: the next event does not try again.
        dispatch_events(app::current_screen(),
                        test::make_mouse_button(SDL_BUTTON_LEFT, false, 300, 300));
    }
    std::string expected;
    for (int i = 0; i < attempts; ++i) expected += "invalid string position\n";
    EXPECT_EQ(error_log(), expected);
    // An empty file is the load's own failure: it is logged and the screen opens as it was.
    ASSERT_TRUE(test::write_file(folder_.file("ootake.dat"), ""));
    wrapper_click(10, 560);
    EXPECT_EQ(app::current_screen(), console_screen_of("PCE"));
    EXPECT_EQ(error_log(), expected + "Failed to load controls - TG-16\n");
    // A whole file opens it with the file's bindings.
    ASSERT_TRUE(test::write_file(folder_.file("ootake.dat"), ootake_file(100, 2000)));
    app::set_current_screen(screen_controls);
    app::clear_controls();
    wrapper_click(10, 560);
    EXPECT_EQ(app::current_screen(), console_screen_of("PCE"));
    EXPECT_EQ(shown_name(pce.record(0, 0, 0)), "W");
}

}  // namespace
}  // namespace rx
