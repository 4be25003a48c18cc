// Tests for the one exception guard every program runs its steps under.
#include "common/guard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "files.h"

namespace rx {
namespace {

struct not_a_std_exception {};

struct guard_case {
    const char* why;
    void (*body)();
    std::vector<std::string> lines;
};

const guard_case guard_cases[] = {
    {"a step that ends normally logs nothing", [] {}, {}},
    {"an exception with a text logs that text",
     [] { throw std::runtime_error("Failure reading file - load"); },
     {"Failure reading file - load"}},
    {"an exception without a text logs the step's line",
     [] { throw not_a_std_exception{}; },
     {"Unknown Exception - main::news_show"}},
    {"a thrown number carries no text either",
     [] { throw 42; },
     {"Unknown Exception - main::news_show"}},
};

TEST(Guard, EachStepLogsWhatItThrewAndReturnsTheFailureValue) {
    for (const guard_case& c : guard_cases) {
        SCOPED_TRACE(c.why);
        std::vector<std::string> lines;
        const int result =
            run_guarded_into([&](std::string_view line) { lines.emplace_back(line); }, -1,
                             [] { return unknown_exception_text("main", "news_show"); },
                             [&] {
                                 c.body();
                                 return 7;
                             });
        EXPECT_EQ(result, c.lines.empty() ? 7 : -1);
        EXPECT_EQ(lines, c.lines);
    }
}

TEST(Guard, ALogThatThrowsStillKeepsTheExceptionIn) {
    const bool result =
        run_guarded_into([](std::string_view) { throw std::runtime_error("disk full"); }, false,
                         [] { return "Unknown Exception in update - main"; },
                         []() -> bool { throw std::runtime_error("no folder"); });
    EXPECT_FALSE(result);
}

TEST(Guard, TheProgramFormsAppendToTheErrorLogInTheProgramFolder) {
    test::temp_dir folder("rx_guard");
    set_directory_override(folder.path());
    run_guarded("Unknown Exception - close_game", [] { throw 1; });
    const int result = run_logged_or(3, "main", "handle_main_events",
                                     []() -> int { throw std::runtime_error("bad reply"); });
    set_directory_override(std::nullopt);
    EXPECT_EQ(result, 3);
    EXPECT_EQ(test::read_file(folder.path() + "/error_log.txt"),
              "Unknown Exception - close_game\nbad reply\n");
}

}  // namespace
}  // namespace rx
