// rx_update as a person meets it, under X: the service serves 4.30, Relicade hands over, the
// updater's window shows the download, the files are installed, Relicade comes back; with the
// service back at 4.29 it reaches the login screen. Everything runs in a copy of the program
// folder.
#include <gtest/gtest.h>
// Xlib after gtest: its macros (None, Bool) would break gtest's own declarations.
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "files.h"
#include "loopback.h"
#include "relicade_window.h"
#include "service_process.h"
#include "updater/logic/gunzip.h"
#include "wait.h"
#include "x11_windows.h"

namespace fs = std::filesystem;
using rx::test::count_of;
using rx::test::pause_ms;
using rx::test::read_file;
using rx::test::service_process;

namespace {

bool wait_until(const std::function<bool()>& condition, int timeout_ms) {
    return rx::test::wait_until(condition, std::chrono::milliseconds(timeout_ms),
                                std::chrono::milliseconds(50));
}

class updater_e2e : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = rx::test::make_temp_dir("rx_update_e2e");
        ASSERT_FALSE(folder.empty());
        // The update replaces files: it runs in a copy, never in the shared program folder.
        program = folder / "relicade";
        x = std::make_unique<rx::test::x_watch>();
        ASSERT_TRUE(x->connected()) << "needs an X display (run under xvfb-run)";
        const fs::path real(RX_PROGRAM_DIR);
        fs::create_directories(program);
        for (const char* name : {"Relicade", "rx_update", "NEURPOLI.TTF", "images"})
            fs::copy(real / name, program / name, fs::copy_options::recursive);
        request_log = (folder / "requests.log").string();
        service = std::make_unique<service_process>(std::vector<std::string>{
            "--host", "localhost", "--request-log", request_log, "--fault", "version=4.30",
            // Every reply waits, so the test sees the updater at work before it is done.
            "--fault", "delay_ms=700"});
        ASSERT_TRUE(service->started());
    }

    void TearDown() override {
        if (relicade > 0) {
            kill(relicade, SIGKILL);
            waitpid(relicade, nullptr, 0);
        }
        // The updater and the browser it starts again are not our children: end every process
        // still running from the copied folder, by its id.
        for (pid_t pid : running_from_copy())
            if (pid > 1 && pid != getpid()) kill(pid, SIGKILL);
        service.reset();
        x.reset();
        if (!folder.empty()) rx::test::remove_tree(folder.string());
    }

    std::vector<pid_t> running_from_copy() const {
        std::vector<pid_t> found;
        // Only a program folder of this test's own temporary folder names processes to end.
        if (folder.empty() || program.empty() ||
            program.string().rfind(folder.string() + "/", 0) != 0)
            return found;
        std::error_code ignored;
        for (const auto& item : fs::directory_iterator("/proc", ignored)) {
            const std::string name = item.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos) continue;
            const fs::path exe = fs::read_symlink(item.path() / "exe", ignored);
            if (!ignored && exe.string().rfind(program.string() + "/", 0) == 0)
                found.push_back(static_cast<pid_t>(std::stoi(name)));
        }
        return found;
    }

    bool running(const std::string& program_name) const {
        for (pid_t pid : running_from_copy()) {
            std::error_code ignored;
            if (fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ignored).filename() ==
                program_name)
                return true;
        }
        return false;
    }

    void start_relicade() {
        relicade = rx::test::spawn_relicade((program / "Relicade").string(), service->web_host());
        ASSERT_GT(relicade, 0);
    }

    int wait_relicade_exit(int timeout_ms) {
        const int status = rx::test::wait_exit(relicade, timeout_ms);
        if (status >= 0) relicade = -1;
        return status;
    }

    // The window titled "Relicade" as it shows now (the updater's and the browser's alike).
    Window find_window() {
        return x->wait_for_window(rx::test::title_is("Relicade"), std::chrono::milliseconds(0));
    }

    bool logged_requests(const std::string& what, std::size_t count, int timeout_ms = 15000) {
        return wait_until([&] { return count_of(read_file(request_log), what) >= count; },
                          timeout_ms);
    }

    void set_fault(const std::string& name, const std::string& value) {
        const std::string reply =
            rx::test::exchange(service->http_port(),
                               "GET /control?fault=" + name + "&value=" + value + " HTTP/1.0\n\n");
        ASSERT_NE(reply.find("ok||EOL"), std::string::npos) << reply;
    }

    void xdotool(const std::string& arguments) {
        EXPECT_TRUE(rx::test::xdotool(arguments)) << "xdotool " << arguments;
    }

    void click_at(Window window, int x, int y) {
        xdotool("mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " +
                std::to_string(y));
        xdotool("click 1");
    }

    std::unique_ptr<rx::test::x_watch> x;
    fs::path folder;
    fs::path program;
    std::string request_log;
    std::unique_ptr<service_process> service;
    pid_t relicade = -1;
};

TEST_F(updater_e2e,
       a_newer_version_is_installed_whole_and_relicade_comes_back_to_the_login_screen) {
    const fs::path sample = fs::path(RX_PROGRAM_DIR) / "service" / "update" / "v4.30";
    start_relicade();
    // The browser hands over and ends itself; the updater's window takes its place.
    ASSERT_EQ(wait_relicade_exit(15000), 0);
    ASSERT_TRUE(logged_requests("GET /clients/update/manifest.php?location=v4.30 HTTP/1.0", 1))
        << read_file(request_log);
    // The service keeps serving 4.30: the browser started again must see that the offered release
    // is in and play on. The five slow downloads leave time to see the updater at work.
    EXPECT_TRUE(running("rx_update"));
    EXPECT_TRUE(wait_until([&] { return find_window() != 0; }, 5000)) << "no updater window";
    set_fault("delay_ms", "0");

    // Relicade is started again: its version check is the second one.
    ASSERT_TRUE(logged_requests("GET /browser/current_version.php", 2, 30000))
        << read_file(request_log) << read_file((program / "error_log.txt").string());
    EXPECT_FALSE(fs::exists(program / "error_log.txt"))
        << read_file((program / "error_log.txt").string());

    std::istringstream entries(read_file((sample / "manifest.txt").string()));
    int files = 0;
    for (std::string entry; std::getline(entries, entry);) {
        if (entry.empty()) continue;
        ++files;
        std::string expected;
        ASSERT_TRUE(
            rx::updater::gunzip_all(read_file((sample / entry.substr(1)).string()), expected));
        const fs::path installed = program / entry.substr(1, entry.size() - 4);
        EXPECT_EQ(read_file(installed.string()), expected) << entry;
    }
    EXPECT_EQ(files, 5);
    EXPECT_TRUE(fs::is_empty(program / "update"));

    // The login screen: log in as a person would and see the login request arrive.
    Window window = 0;
    ASSERT_TRUE(
        wait_until([&] { return running("Relicade") && (window = find_window()) != 0; }, 15000));
    pause_ms(500);
    xdotool("mousemove --window " + std::to_string(window) + " 700 100");
    click_at(window, 400, 402);  // user-name box
    xdotool("type --delay 30 player");
    xdotool("key Tab");
    xdotool("type --delay 30 secret");
    click_at(window, 245, 520);  // Login
    EXPECT_TRUE(
        logged_requests("GET /browser/checkuser.php?username=player&password=secret HTTP/1.1", 1))
        << read_file(request_log);
    // Only one update ran: the second start asked for the offered release and went no further.
    const std::string requests = read_file(request_log);
    EXPECT_EQ(count_of(requests, "manifest.php"), 1u) << requests;
    EXPECT_EQ(count_of(requests, "signature.php"), 3u) << requests;
    EXPECT_EQ(read_file((program / "installed_releases.txt").string()), "v4.30 1\n");
}

}  // namespace
