// The Genesis, MEKA and SNES screens on real files in a private program folder: captures through
// injected events, player switching, saving exactly the captured lines, the MEKA screens refusing
// to open on a broken file, and failed or refused writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "browser/app/app.h"
#include "browser/app/handlers.h"
#include "browser/app/screens.h"
#include "emulators/settings_lines.h"
#include "platform/file.h"
#include "tests/browser_core/sdl_support.h"
#include "tests/controls/screen_input.h"
#include "tests/emulators/codec_fixtures.h"

namespace rx {
namespace {

using namespace test::screen_input;
using test::make_mouse_button;

class EmulatorScreenTest : public test::sdl_test {
  protected:
    void SetUp() override {
        sdl_test::SetUp();
        controlbox::set_settle_wait([](Uint32) {});
        screens().controls.init();
        for (console_screen* s : {static_cast<console_screen*>(&screens().of("GEN")),
                                  static_cast<console_screen*>(&screens().of("COL")),
                                  static_cast<console_screen*>(&screens().of("SMS")),
                                  static_cast<console_screen*>(&screens().of("SGG")),
                                  static_cast<console_screen*>(&screens().of("SNES"))})
            s->init();
        app::clear_controls();
    }
    void TearDown() override {
        platform::fail_replace_step_for_testing(platform::replace_step::none);
        controlbox::set_settle_wait(nullptr);
        app::clear_controls();
        sdl_test::TearDown();
    }
    void write(const std::string& name, const std::string& bytes) {
        ASSERT_TRUE(test::write_file(folder_.file(name), bytes));
    }
    std::string log() const { return folder_.read("error_log.txt"); }
    std::vector<std::string> folder_entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder_.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(EmulatorScreenTest, GenesisPlayerSwitchingKeepsEditsAndSaveWritesBoth) {
    const std::string text = test::padded(test::gens_lines(), 5000);
    write("gens.cfg", text);
    auto& g = screens().of("GEN");
    ASSERT_TRUE(g.load_controls());
    EXPECT_EQ(g.box(0, 0).shown_text(), "Up");
    click(g, 765, 67);  // player 2
    EXPECT_EQ(g.box(0, 0).shown_text(), "Joystick 1 axis 1 dir 0");
    click(g, 200, 100);  // Up
    press(g, SDLK_w);
    click(g, 600, 67);  // player 1 again
    EXPECT_EQ(g.box(0, 0).shown_text(), "Up");
    click(g, 200, 160);  // Left
    press(g, SDLK_k);
    click(g, 765, 67);
    EXPECT_EQ(g.box(0, 0).shown_text(), "W");
    save(g, 380, 440);
    const std::string saved = folder_.read("gens.cfg");
    EXPECT_EQ(test::changed_lines(text, saved), (std::vector<std::size_t>{34, 84}));
    EXPECT_EQ(split_lines(saved)[34], "P1.Left=37\r\n");
    EXPECT_EQ(split_lines(saved)[84], "P2.Up=17\r\n");
    EXPECT_EQ(g.record(1, 0, 0).emu, "17");
    EXPECT_EQ(log(), "");
    // Opening again shows player 1 with what the file now holds.
    ASSERT_TRUE(g.load_controls());
    EXPECT_EQ(g.selected_player(), 0);
    EXPECT_EQ(g.box(0, 2).shown_text(), "K");
}

TEST_F(EmulatorScreenTest, GenesisFailedWriteLeavesTheFileAndNoTemporaryFile) {
    const std::string text = test::padded(test::gens_lines(), 5000);
    write("gens.cfg", text);
    auto& g = screens().of("GEN");
    ASSERT_TRUE(g.load_controls());
    const auto before = folder_entries();
    click(g, 200, 100);
    press(g, SDLK_q);
    platform::fail_replace_step_for_testing(platform::replace_step::rename);
    save(g, 380, 440);
    EXPECT_EQ(folder_.read("gens.cfg"), text);
    EXPECT_EQ(log(), "Failure writing gens.cfg - save_settings\n");
    auto after = folder_entries();
    after.erase(std::remove(after.begin(), after.end(), "error_log.txt"), after.end());
    EXPECT_EQ(after, before);
    EXPECT_EQ(g.record(0, 0, 0).emu, "200\r");  // nothing was saved
}

TEST_F(EmulatorScreenTest, MekaScreenDoesNotOpenOnAMissingSection) {
    write("meka.inp", rx::join_lines(test::meka_lines(test::mouse_at::inside)));
    auto& coleco = screens().of("COL");
    coleco.record(0, 0, 0).id = input::key(37);
    app::set_current_screen(screen_controls);
    wrapper_click(10, 100);  // the Colecovision button
    EXPECT_EQ(app::current_screen(), screen_controls);
    EXPECT_EQ(shown_name(coleco.record(0, 0, 0)), "K");
    EXPECT_EQ(log(), "invalid string position\n");
    // The click is spent: later events do not try again.
    dispatch_events(app::current_screen(), make_mouse_button(SDL_BUTTON_LEFT, false, 300, 300));
    EXPECT_EQ(log(), "invalid string position\n");

    write("meka.inp", rx::join_lines(test::meka_lines(test::mouse_at::before)));
    wrapper_click(10, 460);  // the Master System button
    EXPECT_EQ(app::current_screen(), console_screen_of("SMS"));
    EXPECT_EQ(screens().of("SMS").title(), "Sega Master System Controls:");
    EXPECT_EQ(screens().of("SMS").class_name(), std::string("rx_colecovision_controls_input"));
    EXPECT_EQ(shown_name(screens().of("SMS").record(1, 1, 2)), "Joystick 2 POV Left");
    EXPECT_EQ(screens().of("SMS").box(0, 0).shown_text(), "Up");
}

TEST_F(EmulatorScreenTest, MekaColumnsCaptureTheirOwnDeviceAndShareTheFile) {
    const std::string text = test::padded(test::meka_lines(), 21000);
    write("meka.inp", text);
    auto& coleco = screens().of("COL");
    ASSERT_TRUE(coleco.load_controls());
    click(coleco, 200, 250);  // keyboard Button 1
    test::place_pointer(200, 250);
    coleco.handle_events(test::make_joystick_button(true));
    EXPECT_TRUE(coleco.box(0, 4).capturing());  // a keyboard box ignores the joystick
    press(coleco, SDLK_SPACE);
    click(coleco, 500, 250);  // joystick Button 1
    press(coleco, SDLK_a);
    EXPECT_TRUE(coleco.box(1, 4).capturing());  // and a joystick box ignores keys
    coleco.handle_events(test::make_joystick_button(true));
    EXPECT_EQ(shown_name(coleco.record(0, 1, 4)), "Joystick 1 Button 3");
    save(coleco, 450, 400);
    const std::string saved = folder_.read("meka.inp");
    EXPECT_EQ(test::changed_lines(text, saved), (std::vector<std::size_t>{67, 93}));
    EXPECT_EQ(split_lines(saved)[67], "player_button1 = key Space\n");
    EXPECT_EQ(split_lines(saved)[93], "player_button1 = joy_button 3\n");

    auto& gamegear = screens().of("SGG");
    ASSERT_TRUE(gamegear.load_controls());
    EXPECT_EQ(shown_name(gamegear.record(0, 0, 4)), "Space");
    EXPECT_EQ(shown_name(gamegear.record(0, 1, 4)), "Joystick 1 Button 3");
    // A fixed line that is not the binding it should be stops the whole save.
    auto lines = split_lines(saved);
    lines[64] = "player_down = Down\r\n";
    write("meka.inp", join_lines(lines));
    click(gamegear, 200, 130);
    press(gamegear, SDLK_u);
    save(gamegear, 450, 400);
    EXPECT_EQ(folder_.read("meka.inp"), join_lines(lines));
    EXPECT_EQ(log(), "Failed to save controls - colecovision\n");
}

TEST_F(EmulatorScreenTest, MekaWithoutAFileEmptiesTheBoxesAndSavesNothing) {
    auto& sms = screens().of("SMS");
    sms.record(0, 0, 0).id = input::key(200);
    EXPECT_TRUE(sms.load_controls());
    EXPECT_EQ(sms.box(0, 0).shown_text(), "");
    save(sms, 450, 400);
    EXPECT_FALSE(folder_.exists("meka.inp"));
    write("meka.inp", "");
    sms.record(0, 0, 0).id = input::key(200);
    EXPECT_FALSE(sms.load_controls());
    EXPECT_EQ(shown_name(sms.record(0, 0, 0)), "Up");
    EXPECT_EQ(log(), "Failed to load controls - colecovision\n");
}

TEST_F(EmulatorScreenTest, SnesSavesThePlayersLinesAndSwitchesTheirPadsOn) {
    const std::string text = test::padded(test::zsnes_lines("pl1contrl=0"), 5000);
    write("zinput.cfg", text);
    auto& snes = screens().of("SNES");
    ASSERT_TRUE(snes.load_controls());
    EXPECT_EQ(snes.box(0, 0).shown_text(), "Up");
    click(snes, 765, 67);
    EXPECT_EQ(snes.box(0, 6).shown_text(), "Joystick 2 Button 1");
    click(snes, 200, 280);  // A
    snes.handle_events(test::make_joystick_button(true));
    EXPECT_EQ(shown_name(snes.record(1, 0, 6)), "Joystick 1 Button 3");
    save(snes, 380, 470);
    const std::string saved = folder_.read("zinput.cfg");
    EXPECT_EQ(test::changed_lines(text, saved), (std::vector<std::size_t>{20, 49}));
    EXPECT_EQ(split_lines(saved)[20], "pl1contrl=1\r\n");
    EXPECT_EQ(split_lines(saved)[49], "pl2Ak=275\r\n");
    EXPECT_EQ(log(), "");

    // A button the file's codes cannot hold keeps its line, and the log says so.
    snes.record(0, 0, 0).id = input::button(1, 16);
    snes.record(0, 0, 0).captured = true;
    save(snes, 380, 470);
    EXPECT_EQ(folder_.read("zinput.cfg"), saved);
    EXPECT_EQ(log(), "Failure storing Joystick 1 Button 16 - save_settings\n");
    std::filesystem::remove(folder_.file("error_log.txt"));

    auto lines = test::zsnes_lines();
    lines.resize(45);  // player 2's block is cut short
    write("zinput.cfg", join_lines(lines));
    save(snes, 380, 470);
    EXPECT_EQ(folder_.read("zinput.cfg"), join_lines(lines));
    EXPECT_EQ(log(), std::string(missing_line_text) + "\n");
}

}  // namespace
}  // namespace rx
