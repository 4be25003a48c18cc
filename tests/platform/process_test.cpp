// Starting, watching, ending and reaping child processes, detached starts and opening URLs.
#include "platform/process.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "test_util.h"

namespace {

using rx::platform::process_handle;
using rx::test::read_file;
using rx::test::temp_dir;
using rx::test::wait_until;

const std::string child = RX_TEST_CHILD;

// 'Z' for a zombie, '\0' when the pid is gone.
char process_state(process_handle pid) {
    std::string stat = read_file("/proc/" + std::to_string(pid) + "/stat");
    std::size_t paren = stat.rfind(')');
    if (paren == std::string::npos || paren + 2 >= stat.size()) return '\0';
    return stat[paren + 2];
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

TEST(Process, ChildIsSeenRunningThenEndedAndReaped) {
    auto& runner = rx::platform::system_processes();
    process_handle pid = runner.start(child, "sleep 300");
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(runner.is_running(pid));
    ASSERT_TRUE(wait_until([&] { return !runner.is_running(pid); }));
    // The poll that saw it end also reaped it, and it stays ended on later polls.
    EXPECT_NE(process_state(pid), 'Z');
    EXPECT_EQ(waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    EXPECT_FALSE(runner.is_running(pid));
    runner.close(pid);
    EXPECT_FALSE(runner.is_running(0));
}

TEST(Process, TerminateEndsARunningChildAndRefusesAnEndedOne) {
    auto& runner = rx::platform::system_processes();
    process_handle pid = runner.start(child, "sleep 30000");
    ASSERT_GT(pid, 0);
    int error = -1;
    EXPECT_TRUE(runner.terminate(pid, 0, error));
    EXPECT_EQ(error, 0);
    ASSERT_TRUE(
        wait_until([&] { return !runner.is_running(pid); }, std::chrono::milliseconds(2000)));
    // Ended now: a second terminate must fail with a system error instead of signalling a reused
    // pid.
    error = 0;
    EXPECT_FALSE(runner.terminate(pid, 0, error));
    EXPECT_EQ(error, ESRCH);
    runner.close(pid);

    process_handle quick = runner.start(child, "exit 3");
    ASSERT_GT(quick, 0);
    ASSERT_TRUE(
        wait_until([&] { return process_state(quick) == 'Z' || process_state(quick) == '\0'; }));
    error = 0;
    EXPECT_FALSE(runner.terminate(quick, 0, error));
    EXPECT_EQ(error, ESRCH);
    EXPECT_NE(process_state(quick), 'Z');
    runner.close(quick);
}

TEST(Process, TerminateOfNoProcessFailsWithoutSignallingOurGroup) {
    int error = 0;
    EXPECT_FALSE(rx::platform::system_processes().terminate(0, 0, error));
    EXPECT_NE(error, 0);
    EXPECT_FALSE(rx::platform::system_processes().terminate(-1, 0, error));
}

TEST(Process, ProcessesNotStartedByTheRunnerAreLeftAlone) {
    pid_t stranger = fork();
    ASSERT_GE(stranger, 0);
    if (stranger == 0) {
        pause();
        _exit(0);
    }
    auto& runner = rx::platform::system_processes();
    int error = 0;
    EXPECT_FALSE(runner.terminate(stranger, 0, error));
    EXPECT_EQ(error, ESRCH);
    EXPECT_FALSE(runner.is_running(stranger));
    runner.close(stranger);
    EXPECT_EQ(waitpid(stranger, nullptr, WNOHANG), 0);  // still running, and still ours to reap
    kill(stranger, SIGKILL);
    EXPECT_EQ(waitpid(stranger, nullptr, 0), stranger);
}

TEST(Process, CloseOfARunningChildLeavesNoZombie) {
    auto& runner = rx::platform::system_processes();
    process_handle pid = runner.start(child, "sleep 100");
    ASSERT_GT(pid, 0);
    runner.close(pid);  // must not block on the child
    EXPECT_TRUE(wait_until([&] { return process_state(pid) == '\0'; }));

    process_handle ended = runner.start(child, "exit 0");
    ASSERT_GT(ended, 0);
    ASSERT_TRUE(wait_until([&] { return process_state(ended) == 'Z'; }));
    runner.close(ended);
    EXPECT_TRUE(wait_until([&] { return process_state(ended) == '\0'; }));
}

TEST(Process, StartOfAMissingProgramFails) {
    temp_dir dir;
    EXPECT_EQ(rx::platform::system_processes().start(dir.file("no_such_program"), "a b"), 0);
    EXPECT_FALSE(rx::platform::system_processes().start_detached(dir.file("no_such_program"), ""));
}

TEST(Process, ParametersAreSplitAtBlanks) {
    temp_dir dir;
    auto& runner = rx::platform::system_processes();
    std::string out = dir.file("args.txt");
    process_handle pid =
        runner.start(child, " args " + out + "  rx://guest:pw@host/12\tsecond   third ");
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(wait_until([&] { return !runner.is_running(pid); }));
    runner.close(pid);
    EXPECT_EQ(read_file(out), "rx://guest:pw@host/12\nsecond\nthird\n");
}

TEST(Process, ChildrenDoNotInheritOurDescriptors) {
    temp_dir dir;
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);  // deliberately without close-on-exec, as SDL_net's sockets are
    std::string out = dir.file("fds.txt");
    auto& runner = rx::platform::system_processes();
    process_handle pid = runner.start(child, "fds " + out);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(wait_until([&] { return !runner.is_running(pid); }));
    runner.close(pid);
    ::close(pipe_ends[0]);
    ::close(pipe_ends[1]);
    EXPECT_EQ(read_file(out), "0");
}

TEST(Process, DetachedStartRunsTheProgramWithItsParameters) {
    temp_dir dir;
    std::string out = dir.file("detached.txt");
    // The updater's parameter text begins with a blank.
    ASSERT_TRUE(rx::platform::system_processes().start_detached(child, "args " + out + " 1 v4.30"));
    ASSERT_TRUE(wait_until([&] { return exists(out); }));
    EXPECT_EQ(read_file(out), "1\nv4.30\n");
}

// The program runs as this same process (the browser watching it sees no change) and gets the
// whole argument; a program that cannot run leaves the caller to go on.
TEST(Process, RunInsteadKeepsTheProcessAndHandsOverTheArgument) {
    temp_dir dir;
    EXPECT_FALSE(rx::platform::run_instead(dir.file("no_such_program"), "x"));
    const std::string out = dir.file("replaced.txt");
    const std::string script = dir.file("replacement.sh");
    rx::test::write_file(script,
                         "#!/bin/sh\nprintf '%s|%s|%s' \"$$\" \"$#\" \"$1\" > '" + out + "'\n");
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    const std::string argument = "rxsms://u:p w@h/col_001.col";
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        rx::platform::run_instead(script, argument);
        _exit(9);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(read_file(out), std::to_string(pid) + "|1|" + argument);
}

TEST(Process, OpenUrlHandsTheWholeUrlToBrowser) {
    temp_dir dir;
    std::string out = dir.file("url.txt");
    std::string script = dir.file("browser.sh");
    rx::test::write_file(script, "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + out +
                                     ".part'\nmv '" + out + ".part' '" + out + "'\n");
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    rx::test::env_guard keep("BROWSER");
    rx::platform::set_environment("BROWSER", script.c_str());
    const std::string url = "http://127.0.0.1:8080/myaccount.html?username=a b&password=$(x);'\"";
    ASSERT_TRUE(rx::platform::system_processes().open_url(url));
    ASSERT_TRUE(wait_until([&] { return exists(out); }));
    EXPECT_EQ(read_file(out), "1|" + url);

    // A ':'-separated list is tried in order.
    std::filesystem::remove(out);
    std::string list = dir.file("missing_browser") + ":" + script;
    rx::platform::set_environment("BROWSER", list.c_str());
    ASSERT_TRUE(rx::platform::system_processes().open_url("http://x.test/signup.html"));
    ASSERT_TRUE(wait_until([&] { return exists(out); }));
    EXPECT_EQ(read_file(out), "1|http://x.test/signup.html");

    rx::platform::set_environment("BROWSER", dir.file("missing_browser").c_str());
    EXPECT_FALSE(rx::platform::system_processes().open_url(url));
}

class recorder : public rx::platform::process_runner {
  public:
    rx::platform::process_handle start(const std::string& program,
                                       const std::string& parameters) override {
        last = program + "|" + parameters;
        return 42;
    }
    bool is_running(rx::platform::process_handle) override { return false; }
    bool terminate(rx::platform::process_handle, int, int&) override { return true; }
    void close(rx::platform::process_handle) override {}
    bool start_detached(const std::string&, const std::string&) override { return true; }
    bool open_url(const std::string&) override { return true; }
    std::string last;
};

TEST(Process, InstalledRunnerReplacesTheSystemOneUntilRemoved) {
    recorder fake;
    rx::platform::set_processes(&fake);
    EXPECT_EQ(rx::platform::processes().start("z26", "x"), 42);
    EXPECT_EQ(fake.last, "z26|x");
    rx::platform::set_processes(nullptr);
    EXPECT_EQ(&rx::platform::processes(), &rx::platform::system_processes());
}

TEST(Process, EnvironmentIsReadAndWritten) {
    rx::test::env_guard keep("RX_PLATFORM_TEST_VAR");
    rx::platform::set_environment("RX_PLATFORM_TEST_VAR", "a=b c");
    EXPECT_EQ(rx::platform::get_environment("RX_PLATFORM_TEST_VAR"), "a=b c");
    rx::platform::set_environment("RX_PLATFORM_TEST_VAR", nullptr);
    EXPECT_EQ(rx::platform::get_environment("RX_PLATFORM_TEST_VAR"), "");
}

TEST(Process, ExitProcessFlushesBufferedOutputAndEndsWithTheCode) {
    temp_dir dir;
    std::string out = dir.file("stdout.txt");
    std::fflush(nullptr);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (std::freopen(out.c_str(), "w", stdout) == nullptr) _exit(99);
        std::printf("pending without newline");
        rx::platform::exit_process(7);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
    EXPECT_EQ(read_file(out), "pending without newline");
}

}  // namespace
