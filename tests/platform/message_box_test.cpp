// Fatal-error messages reach standard error as "caption: text".
#include "platform/message_box.h"

#include <gtest/gtest.h>

namespace {

TEST(MessageBox, WritesCaptionAndTextToStandardError) {
    testing::internal::CaptureStderr();
    rx::platform::message_box("Failed to connect to the game server", "rxlib");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "rxlib: Failed to connect to the game server\n");
}

}  // namespace
