// Detached threads run with the asked priority; sleeping waits at least as long as asked.
#include "platform/thread.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <future>

namespace {

TEST(Thread, BodyRunsDetachedWithTheLowestPriority) {
    const int own_before = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
    auto result = std::make_shared<std::promise<int>>();
    std::future<int> nice_value = result->get_future();
    ASSERT_TRUE(rx::platform::start_thread(
        [result] {
            errno = 0;
            int n = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
            result->set_value(n);
        },
        rx::platform::thread_priority::lowest));
    ASSERT_EQ(nice_value.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(nice_value.get(), 19);
    // Our own thread keeps its priority (whatever it was started with: a run under nice starts at 19).
    EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid))), own_before);
}

TEST(Thread, HighestPriorityAndThrowingBodiesDoNotEndTheProgram) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    ASSERT_TRUE(rx::platform::start_thread(
        [done] {
            done->set_value();
            throw std::runtime_error("status update failed");
        },
        rx::platform::thread_priority::highest));
    ASSERT_EQ(finished.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(rx::platform::start_thread(nullptr, rx::platform::thread_priority::normal));
}

TEST(Thread, SleepWaitsAtLeastTheTimeAsked) {
    auto start = std::chrono::steady_clock::now();
    rx::platform::sleep_ms(60);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
}

}  // namespace
