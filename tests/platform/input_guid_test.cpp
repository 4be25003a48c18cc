// Device GUIDs: keyboard constant, GUID text and byte forms, joystick enumeration under SDL.
#include "platform/input_guid.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

TEST(InputGuid, KeyboardIsTheSystemKeyboardGuid) {
    EXPECT_EQ(rx::platform::keyboard_guid(), "{6F1D2B61-D5A0-11CF-BFC7-444553540000}");
}

TEST(InputGuid, TextAndMemoryFormsConvertBothWays) {
    auto bytes = rx::platform::guid_bytes("{6F1D2B61-D5A0-11CF-BFC7-444553540000}");
    ASSERT_TRUE(bytes.has_value());
    // GUID_SysKeyboard as it sits in memory and in nester's DeviceGUID value.
    const std::array<std::uint8_t, 16> expected = {0x61, 0x2B, 0x1D, 0x6F, 0xA0, 0xD5, 0xCF, 0x11,
                                                   0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00};
    EXPECT_EQ(*bytes, expected);
    EXPECT_EQ(rx::platform::guid_text(expected), "{6F1D2B61-D5A0-11CF-BFC7-444553540000}");
    EXPECT_EQ(rx::platform::guid_bytes("{6f1d2b61-d5a0-11cf-bfc7-444553540000}"), expected);
    for (const char* bad :
         {"", "6F1D2B61-D5A0-11CF-BFC7-444553540000", "{6F1D2B61-D5A0-11CF-BFC7-44455354000G}",
          "{6F1D2B61D-5A0-11CF-BFC7-444553540000}", "{6F1D2B61-D5A0-11CF-BFC7-4445535400000}"}) {
        EXPECT_FALSE(rx::platform::guid_bytes(bad).has_value()) << bad;
    }
}

TEST(InputGuid, ControllersAreListedTheSameWayEachTime) {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    auto first = rx::platform::game_controllers();
    auto second = rx::platform::game_controllers();
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].guid, second[i].guid);
        EXPECT_TRUE(rx::platform::guid_bytes(first[i].guid).has_value());
    }
    // Enumeration leaves SDL as it found it.
    EXPECT_EQ(SDL_WasInit(SDL_INIT_JOYSTICK), 0u);
    SDL_Quit();
}

TEST(InputGuid, DerivedControllerGuidsAreStableAndDistinct) {
    std::string pad = rx::platform::derived_controller_guid("USB Gamepad", 0);
    EXPECT_EQ(pad, rx::platform::derived_controller_guid("USB Gamepad", 0));
    EXPECT_NE(pad, rx::platform::derived_controller_guid("USB Gamepad", 1));
    EXPECT_NE(pad, rx::platform::derived_controller_guid("USB Gamepad2", 0));
    EXPECT_NE(pad, rx::platform::keyboard_guid());
    auto bytes = rx::platform::guid_bytes(pad);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(rx::platform::guid_text(*bytes), pad);
}

TEST(InputGuid, AFakeDeviceListStandsInUntilCleared) {
    rx::platform::device_list fake;
    fake.enumerated = false;  // the system could not be asked
    fake.keyboard = "{6F1D2B61-D5A0-11CF-BFC7-444553540000}";
    rx::platform::fake_input_devices_for_testing(fake);
    auto seen = rx::platform::input_devices();
    EXPECT_FALSE(seen.enumerated);
    EXPECT_TRUE(seen.controllers.empty());
    fake.enumerated = true;
    for (int i = 0; i < 7; ++i)
        fake.controllers.push_back({"Pad", rx::platform::derived_controller_guid("Pad", i)});
    rx::platform::fake_input_devices_for_testing(fake);
    EXPECT_EQ(rx::platform::input_devices().controllers.size(), 7u);
    EXPECT_EQ(rx::platform::game_controllers().size(), 7u);
    rx::platform::fake_input_devices_for_testing(std::nullopt);

    // The real list: under the dummy video driver the joystick subsystem starts, so the list is an
    // enumeration (possibly of nothing) and names the system keyboard.
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    auto real = rx::platform::input_devices();
    EXPECT_TRUE(real.enumerated);
    EXPECT_EQ(real.keyboard, rx::platform::keyboard_guid());
    EXPECT_EQ(real.controllers.size(), rx::platform::game_controllers().size());
    SDL_Quit();
}

}  // namespace
