// nester's registry keys against a temporary store and a fake device list.
#include "emulators/nester_settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "files.h"
#include "platform/file.h"
#include "tests/emulators/codec_fixtures.h"

namespace {

namespace nester = rx::nester;
using rx::input;
using rx::test::capture;
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

    // Loads the keys, and the bindings the screen shows of them.
    void load() {
        keys = nester::load(store, keyboard, log);
        b = nester::bindings_of(keys);
    }
    void save(int pad_count) { nester::save(store, keys, b, pads(pad_count), log); }
    // What a fresh load shows for the button.
    input reloaded(std::size_t slot) {
        std::vector<std::string> ignored;
        return nester::bindings_of(nester::load(store, keyboard, ignored))[slot].id;
    }

    rx::test::temp_dir dir;
    std::string file = dir.file("registry");
    rx::platform::registry& store = rx::platform::user_registry();
    std::vector<std::string> log;
    nester::key_records keys{};
    std::vector<rx::binding> b;

  private:
    bool had_ = false;
    std::string old_;
};

TEST_F(Nester, FirstOpeningCreatesEveryKeyWithItsDefault) {
    load();
    EXPECT_TRUE(log.empty());
    const int expected[] = {200, 208, 203, 205, 54, 156, 44, 45, 19, 33, 32, 34, 18, 17, 31, 30};
    for (std::size_t i = 0; i < b.size(); ++i) EXPECT_EQ(b[i].id, input::key(expected[i])) << i;
    EXPECT_EQ(key_text(0, 5),
              "\"DeviceGUID\"=hex:" + keyboard_hex +
                  "\n\"DeviceNumber\"=hex:00,00,00,00\n\"DeviceType\"=dword:00000001\n"
                  "\"JAxisPositive\"=dword:00000000\n\"JOffset\"=dword:00000000\n"
                  "\"Key\"=hex:9c\n");
    EXPECT_NE(key_text(1, 7).find("\"Key\"=hex:1e\n"), std::string::npos);
    // Opening again reads the keys and writes nothing.
    std::string before = read_file(file);
    load();
    EXPECT_EQ(b[slot_of(1, 0)].id, input::key(19));
    EXPECT_EQ(read_file(file), before);
}

TEST_F(Nester, CapturedBindingsAreWrittenWithTheirExactTypesAndBytes) {
    load();
    capture(b[slot_of(0, 6)], input::key(29));
    capture(b[slot_of(1, 0)], input::axis(2, 0, true));
    capture(b[slot_of(0, 7)], input::button(2, 10));
    save(2);
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
    // What was written reads back as the inputs that were captured, and they are saved.
    for (std::size_t slot : {slot_of(1, 0), slot_of(0, 7), slot_of(0, 6)}) {
        EXPECT_EQ(reloaded(slot), b[slot].id) << slot;
        EXPECT_FALSE(b[slot].captured) << slot;
    }
}

TEST_F(Nester, ButtonsTheScreenDidNotTouchKeepTheirKeysExactly) {
    // A key holding an unnamed code and no DeviceNumber, written by someone else.
    const std::string odd = nester::key_path(1, 4);
    ASSERT_TRUE(store.write_binary(odd, "Key", {0x01}));
    ASSERT_TRUE(store.write_dword(odd, "DeviceType", 1));
    load();
    EXPECT_EQ(shown_name(b[slot_of(1, 4)]), "1");  // code 1 has no name; "1" is code 2's
    std::string odd_before = key_text(1, 4);
    std::string start_before = key_text(0, 5);
    capture(b[slot_of(0, 0)], input::key(17));
    save(0);
    EXPECT_EQ(key_text(1, 4), odd_before);
    EXPECT_EQ(key_text(0, 5), start_before);  // keypad Enter stays keypad Enter
    EXPECT_NE(key_text(0, 0).find("\"Key\"=hex:11\n"), std::string::npos);
    // Either Enter captures as the main one.
    capture(b[slot_of(0, 5)], input::key(28));
    save(0);
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
    load();
    EXPECT_EQ(b[slot_of(0, 6)].id, input::button(6, 1));

    capture(b[slot_of(0, 0)], input::button(5, 2));       // the last of five attached
    capture(b[slot_of(0, 6)], input::button(6, 3));       // not attached, but the one it had
    capture(b[slot_of(0, 1)], input::axis(7, 1, false));  // not attached and new: not stored
    std::string down_before = key_text(0, 1);
    save(5);
    EXPECT_EQ(log, std::vector<std::string>{"Failed to write key - write_nes_key"});
    EXPECT_EQ(nester::read_record(store, nester::key_path(0, 0)).device_guid,
              *rx::platform::guid_bytes(pad_guids[4]));
    nester::key_record kept = nester::read_record(store, nester::key_path(0, 6));
    EXPECT_EQ(kept.device_guid, sixth.device_guid);
    EXPECT_EQ(kept.offset, 51u);
    EXPECT_EQ(key_text(0, 1), down_before);
    // The unsaved input stays on screen and is tried again by the next save.
    EXPECT_TRUE(b[slot_of(0, 1)].captured);
    save(5);
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(Nester, EveryFailedWriteIsLoggedAndLeavesTheButtonUnsaved) {
    rx::platform::fail_replace_step_for_testing(rx::platform::replace_step::write);
    load();
    EXPECT_EQ(log.size(), 16u);
    EXPECT_EQ(b[slot_of(0, 5)].id, input::key(156));  // the defaults are still shown
    log.clear();
    capture(b[slot_of(1, 1)], input::key(16));
    save(1);
    EXPECT_EQ(log, std::vector<std::string>{"Failed to write key - write_nes_key"});
    rx::platform::fail_replace_step_for_testing(rx::platform::replace_step::none);
    log.clear();
    save(1);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(nester::read_record(store, nester::key_path(1, 1)).key, 16);
}

TEST(NesterInputs, RecordsAndInputsBothWays) {
    nester::key_record r;  // zeroed
    EXPECT_EQ(r.device_number, 0);
    EXPECT_EQ(r.device_guid, (std::array<std::uint8_t, 16>{}));
    r.device_number = -1;  // the key had no DeviceNumber: the controller's own joystick
    r.device_type = 2;
    r.offset = 51;
    EXPECT_EQ(nester::input_of(r, 1), input::button(2, 3));
    r.device_type = 3;
    r.offset = 4;
    EXPECT_EQ(nester::input_of(r, 0), input::axis(1, 1, false));
    r.offset = 8;
    EXPECT_EQ(nester::input_of(r, 0), input::joystick_only(1));
    r.device_type = 7;
    EXPECT_EQ(nester::input_of(r, 0), input{});
    // Any DeviceNumber a key may hold is read without overflow, the largest too.
    r.device_type = 2;
    r.offset = 48;
    r.device_number = 2147483647;
    EXPECT_EQ(nester::input_of(r, 0), input{});

    auto axis = nester::record_of(input::axis(1, 0, true), {}, pads(1));
    ASSERT_TRUE(axis.has_value());
    EXPECT_EQ(axis->device_type, 3u);
    EXPECT_EQ(axis->offset, 0u);
    EXPECT_EQ(axis->axis_positive, 1u);
    EXPECT_EQ(axis->device_number, 0);
    auto enter = nester::record_of(input::key(156), {}, pads(0));
    ASSERT_TRUE(enter.has_value());
    EXPECT_EQ(enter->key, 156);
    EXPECT_EQ(enter->device_type, 1u);
    // Key 0 would unbind the button; inputs nester has no place for are not stored either, nor
    // is any joystick when the enumeration failed.
    rx::platform::device_list failed;
    const std::pair<input, rx::platform::device_list> unstorable[] = {
        {input::axis(1, 2, true), pads(1)}, {input::button(1, 32), pads(1)},
        {input::key(0), pads(0)},           {input{}, pads(0)},
        {input::value(55), pads(0)},        {input::button(1, 0), failed}};
    for (const auto& [id, devices] : unstorable)
        EXPECT_FALSE(nester::record_of(id, {}, devices).has_value()) << input_name(id);
}

}  // namespace
