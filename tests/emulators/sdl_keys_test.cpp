// The table from key codes to SDL key symbols: the keys that play a code are the ones the capture
// box names as the code's key, and either Enter plays either Enter code.
#include "emulators/sdl_keys.h"

#include <gtest/gtest.h>

#include <vector>

#include "emulators/input_names.h"
#include "emulators/key_names.h"

namespace {

TEST(SdlKeys, CodesLeadToTheirKeys) {
    // SDLK_* values: Return 13, keypad Enter 271, a 97, A 65, Up 273, keypad 7 263.
    const struct {
        int code;
        std::vector<int> syms;
    } rows[] = {
        {28, {13, 271}}, {156, {13, 271}}, {30, {65, 97}}, {200, {273}},
        {71, {263}},     {54, {303}},      {55, {}},       {59, {}},  // no name; F1 not captured
        {0, {}},         {-1, {}},         {300, {}},
    };
    for (const auto& row : rows) EXPECT_EQ(rx::key_syms_of_code(row.code), row.syms) << row.code;
}

TEST(SdlKeys, EveryKeyOfACodeIsCapturedUnderTheCodesName) {
    for (int code = 1; code < 256; ++code) {
        for (int sym : rx::key_syms_of_code(code)) {
            const auto captured = rx::capture_key_name(sym);
            ASSERT_TRUE(captured) << code << " " << sym;
            // The keypad's Enter is captured under a name of its own; both Enters share "Enter".
            if (sym == 271) continue;
            EXPECT_EQ(*captured, rx::key_std_name(code)) << code << " " << sym;
        }
    }
}

}  // namespace
