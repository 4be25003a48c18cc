// nester's registry keys against a temporary store and a fake device list.
#include "emulators/nester_settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "files.h"
#include "platform/file.h"

namespace {

namespace nester = rx::nester;
using rx::test::read_file;

const std::string keyboard = "{6F1D2B61-D5A0-11CF-BFC7-444553540000}";
const std::string keyboard_hex = "61,2b,1d,6f,a0,d5,cf,11,bf,c7,44,45,53,54,00,00";
const std::string pad_guids[] = {
    "{10000000-0000-0000-0000-000000000001}", "{20000000-0000-0000-0000-000000000002}",
    "{30000000-0000-0000-0000-000000000003}", "{40000000-0000-0000-0000-000000000004}",
    "{50000000-0000-0000-0000-000000000005}"};

rx::platform::device_list pads(int count) {
    rx::platform::device_list list;
    list.enumerated = true;
    list.keyboard = keyboard;
    for (int i = 0; i < count; ++i) list.controllers.push_back({"Pad", pad_guids[i]});
    return list;
}

std::size_t slot_of(int controller, int button) {
    return static_cast<std::size_t>(controller * nester::button_count + button);
}

class Nester : public testing::Test {
  protected:
    void SetUp() override {
        const char* old = getenv("RELICADE_REGISTRY_FILE");
        had_ = old != nullptr;
        if (had_) old_ = old;
        setenv("RELICADE_REGISTRY_FILE", file.c_str(), 1);
    }
    void TearDown() override {
        rx::platform::fail_replace_step_for_testing(rx::platform::replace_step::none);
        if (had_) {
            setenv("RELICADE_REGISTRY_FILE", old_.c_str(), 1);
        } else {
            unsetenv("RELICADE_REGISTRY_FILE");
        }
    }
    // The store's text of one button key: its header line and its values.
    std::string key_text(int controller, int button) {
        std::string text = read_file(file);
        std::string header = "[HKEY_CURRENT_USER\\" + nester::key_path(controller, button) + "]\n";
        std::size_t at = text.find(header);
        if (at == std::string::npos) return "(missing)";
        std::size_t end = text.find("\n\n", at);
        return text.substr(at + header.size(), end == std::string::npos
                                                   ? std::string::npos
                                                   : end + 1 - at - header.size());
    }

    rx::test::temp_dir dir;
    std::string file = dir.file("registry");
    rx::platform::registry& store = rx::platform::user_registry();
    std::vector<std::string> log;

  private:
    bool had_ = false;
    std::string old_;
};

TEST_F(Nester, FirstOpeningCreatesEveryKeyWithItsDefault) {
    nester::slots s = nester::load(store, keyboard, log);
    EXPECT_TRUE(log.empty());
    const char* expected[] = {"Up", "Down", "Left", "Right", "Right Shift", "Enter", "Z", "X",
                              "R",  "F",    "D",    "G",     "E",           "W",     "S", "A"};
    for (std::size_t i = 0; i < s.size(); ++i) EXPECT_EQ(s[i].shown, expected[i]) << i;
    EXPECT_EQ(key_text(0, 5),
              "\"DeviceGUID\"=hex:" + keyboard_hex +
                  "\n\"DeviceNumber\"=hex:00,00,00,00\n\"DeviceType\"=dword:00000001\n"
                  "\"JAxisPositive\"=dword:00000000\n\"JOffset\"=dword:00000000\n"
                  "\"Key\"=hex:9c\n");
    EXPECT_NE(key_text(1, 7).find("\"Key\"=hex:1e\n"), std::string::npos);
    // Opening again reads the keys and writes nothing.
    std::string before = read_file(file);
    s = nester::load(store, keyboard, log);
    EXPECT_EQ(s[slot_of(1, 0)].shown, "R");
    EXPECT_EQ(read_file(file), before);
}

TEST_F(Nester, CapturedBindingsAreWrittenWithTheirExactTypesAndBytes) {
    nester::slots s = nester::load(store, keyboard, log);
    s[slot_of(0, 6)].shown = "Left Ctrl";
    s[slot_of(1, 0)].shown = "Joystick 2 axis 0 dir 1";
    s[slot_of(0, 7)].shown = "Joystick 2 Button 10";
    nester::save(store, s, pads(2), log);
    EXPECT_TRUE(log.empty());
    const std::string pad_two_hex = "00,00,00,20,00,00,00,00,00,00,00,00,00,00,00,02";
    EXPECT_EQ(key_text(0, 6),
              "\"DeviceGUID\"=hex:" + keyboard_hex +
                  "\n\"DeviceNumber\"=hex:00,00,00,00\n"
                  "\"DeviceType\"=dword:00000001\n\"JAxisPositive\"=dword:00000000\n"
                  "\"JOffset\"=dword:00000000\n\"Key\"=hex:1d\n");
    EXPECT_EQ(key_text(1, 0),
              "\"DeviceGUID\"=hex:" + pad_two_hex +
                  "\n\"DeviceNumber\"=hex:01,00,00,00\n"
                  "\"DeviceType\"=dword:00000003\n\"JAxisPositive\"=dword:00000001\n"
                  "\"JOffset\"=dword:00000000\n\"Key\"=hex:00\n");
    EXPECT_EQ(key_text(0, 7),
              "\"DeviceGUID\"=hex:" + pad_two_hex +
                  "\n\"DeviceNumber\"=hex:01,00,00,00\n"
                  "\"DeviceType\"=dword:00000002\n\"JAxisPositive\"=dword:00000000\n"
                  "\"JOffset\"=dword:0000003a\n\"Key\"=hex:00\n");
    // What was written reads back as the names that were captured.
    nester::slots again = nester::load(store, keyboard, log);
    EXPECT_EQ(again[slot_of(1, 0)].shown, "Joystick 2 axis 0 dir 1");
    EXPECT_EQ(again[slot_of(0, 7)].shown, "Joystick 2 Button 10");
    EXPECT_EQ(again[slot_of(0, 6)].shown, "Left Ctrl");
}

TEST_F(Nester, ButtonsTheScreenDidNotTouchKeepTheirKeysExactly) {
    // A key holding an unnamed code and no DeviceNumber, written by someone else.
    const std::string odd = nester::key_path(1, 4);
    ASSERT_TRUE(store.write_binary(odd, "Key", {0x01}));
    ASSERT_TRUE(store.write_dword(odd, "DeviceType", 1));
    nester::slots s = nester::load(store, keyboard, log);
    EXPECT_EQ(s[slot_of(1, 4)].shown, "1");  // code 1 has no name; "1" is code 2's
    std::string odd_before = key_text(1, 4);
    std::string start_before = key_text(0, 5);
    s[slot_of(0, 0)].shown = "W";
    nester::save(store, s, pads(0), log);
    EXPECT_EQ(key_text(1, 4), odd_before);
    EXPECT_EQ(key_text(0, 5), start_before);  // keypad Enter stays keypad Enter
    EXPECT_NE(key_text(0, 0).find("\"Key\"=hex:11\n"), std::string::npos);
    // A fresh capture of the same name is written from the name.
    s[slot_of(0, 5)].touched = true;
    nester::save(store, s, pads(0), log);
    EXPECT_NE(key_text(0, 5).find("\"Key\"=hex:1c\n"), std::string::npos);
    EXPECT_TRUE(log.empty());
}

TEST_F(Nester, JoysticksBeyondTheDeviceListNeverReadPastIt) {
    // Controller 1's A was bound to the sixth joystick by an earlier save.
    nester::key_record sixth;
    sixth.device_guid = *rx::platform::guid_bytes("{60000000-0000-0000-0000-000000000006}");
    sixth.device_number = 5;
    sixth.device_type = 2;
    sixth.offset = 49;
    ASSERT_TRUE(store.write_values(nester::key_path(0, 6), nester::record_values(sixth)));
    nester::slots s = nester::load(store, keyboard, log);
    EXPECT_EQ(s[slot_of(0, 6)].shown, "Joystick 6 Button 1");

    s[slot_of(0, 0)].shown = "Joystick 5 Button 2";      // the last of five attached
    s[slot_of(0, 6)].shown = "Joystick 6 Button 3";      // not attached, but the one it had
    s[slot_of(0, 1)].shown = "Joystick 7 axis 1 dir 0";  // not attached and new: not stored
    std::string down_before = key_text(0, 1);
    nester::save(store, s, pads(5), log);
    EXPECT_EQ(log, std::vector<std::string>{"Failed to write key - write_nes_key"});
    EXPECT_EQ(nester::read_record(store, nester::key_path(0, 0)).device_guid,
              *rx::platform::guid_bytes(pad_guids[4]));
    nester::key_record kept = nester::read_record(store, nester::key_path(0, 6));
    EXPECT_EQ(kept.device_guid, sixth.device_guid);
    EXPECT_EQ(kept.offset, 51u);
    EXPECT_EQ(key_text(0, 1), down_before);
    // The unsaved name stays on screen and is tried again by the next save.
    EXPECT_TRUE(s[slot_of(0, 1)].changed());
    nester::save(store, s, pads(5), log);
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(Nester, EveryFailedWriteIsLoggedAndLeavesTheButtonUnsaved) {
    rx::platform::fail_replace_step_for_testing(rx::platform::replace_step::write);
    nester::slots s = nester::load(store, keyboard, log);
    EXPECT_EQ(log.size(), 16u);
    EXPECT_EQ(s[slot_of(0, 5)].shown, "Enter");  // the defaults are still shown
    log.clear();
    s[slot_of(1, 1)].shown = "Q";
    nester::save(store, s, pads(1), log);
    EXPECT_EQ(log, std::vector<std::string>{"Failed to write key - write_nes_key"});
    rx::platform::fail_replace_step_for_testing(rx::platform::replace_step::none);
    log.clear();
    nester::save(store, s, pads(1), log);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(nester::read_record(store, nester::key_path(1, 1)).key, 16);
}

TEST_F(Nester, CapturedTopRowDigitsAreSavedAsTheirKeys) {
    // The capture box names the top-row digits "0" to "9"; the key table has them as codes 2 to 11.
    nester::slots s = nester::load(store, keyboard, log);
    s[slot_of(0, 6)].shown = "5";
    s[slot_of(1, 7)].shown = "0";
    s[slot_of(0, 7)].shown = "1";
    s[slot_of(0, 7)].touched = true;
    nester::save(store, s, pads(0), log);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(nester::read_record(store, nester::key_path(0, 6)).key, 6);
    EXPECT_EQ(nester::read_record(store, nester::key_path(1, 7)).key, 11);
    EXPECT_EQ(nester::read_record(store, nester::key_path(0, 7)).key, 2);
    nester::slots again = nester::load(store, keyboard, log);
    EXPECT_EQ(again[slot_of(0, 6)].shown, "5");
    EXPECT_EQ(again[slot_of(1, 7)].shown, "0");
}

TEST(NesterNames, RecordsAndNamesBothWays) {
    nester::key_record r;  // zeroed
    EXPECT_EQ(r.device_number, 0);
    EXPECT_EQ(r.device_guid, (std::array<std::uint8_t, 16>{}));
    r.device_number = -1;  // the key had no DeviceNumber: the controller's own joystick
    r.device_type = 2;
    r.offset = 51;
    EXPECT_EQ(nester::std_name(r, 1), "Joystick 2 Button 3");
    r.device_type = 3;
    r.offset = 4;
    EXPECT_EQ(nester::std_name(r, 0), "Joystick 1 axis 1 dir 0");
    r.device_type = 7;
    EXPECT_EQ(nester::std_name(r, 0), "");
    // Any DeviceNumber a key may hold is named, the largest too.
    r.device_type = 2;
    r.offset = 48;
    r.device_number = 2147483647;
    EXPECT_EQ(nester::std_name(r, 0), "Joystick 2147483648 Button 0");

    auto axis = nester::record_of("Joystick 1 axis 0 dir 1", {}, pads(1));
    ASSERT_TRUE(axis.has_value());
    EXPECT_EQ(axis->device_type, 3u);
    EXPECT_EQ(axis->offset, 0u);
    EXPECT_EQ(axis->axis_positive, 1u);
    EXPECT_EQ(axis->device_number, 0);
    EXPECT_FALSE(nester::record_of("Joystick 1 axis 2 dir 1", {}, pads(1)).has_value());
    EXPECT_FALSE(nester::record_of("Joystick 1 Button 32", {}, pads(1)).has_value());
    auto enter = nester::record_of("Enter (Pad)", {}, pads(0));
    ASSERT_TRUE(enter.has_value());
    EXPECT_EQ(enter->key, 0);
    EXPECT_EQ(enter->device_type, 1u);
    // An empty box and the bare number of a code without a name are no keys: stored as key 0
    // they would unbind the button.
    nester::key_record unnamed;
    unnamed.device_type = 1;
    unnamed.key = 55;
    EXPECT_EQ(nester::std_name(unnamed, 0), "55");
    EXPECT_FALSE(nester::record_of("55", unnamed, pads(0)).has_value());
    EXPECT_FALSE(nester::record_of("", {}, pads(0)).has_value());
    // A failed enumeration knows no joystick at all.
    rx::platform::device_list failed;
    EXPECT_FALSE(nester::record_of("Joystick 1 Button 0", {}, failed).has_value());
}

}  // namespace
