// Test support: starting and stopping rx_service for one test.
#include "service_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace rx::test {

service_process::service_process(const std::vector<std::string>& extra, const std::string& data_dir,
                                 bool test_hooks)
    : data_dir_(data_dir) {
    if (data_dir_.empty()) {
        data_dir_ = make_temp_dir("rx_service_data");
        own_data_ = true;
        if (data_dir_.empty()) return;
    }
    std::vector<std::string> args = {
        program_dir() + "/rx_service", "--data", data_dir_, "--http-port", "0", "--game-port", "0"};
    if (test_hooks) {
        args.push_back("--test-hooks");
        args.push_back("--password-cost=min");
    }
    args.insert(args.end(), extra.begin(), extra.end());
    int out[2];
    if (::pipe(out) != 0) return;
    // A keeper process runs the service and outlives a test process that ends without unwinding
    // (exit() or _exit() in a death test's child): then it stops the service and removes the
    // temporary folder itself.
    const pid_t test = ::getpid();
    const bool own = own_data_;
    pid_ = ::fork();
    if (pid_ == 0) {
        sigset_t wanted;
        ::sigemptyset(&wanted);
        ::sigaddset(&wanted, SIGTERM);
        ::sigaddset(&wanted, SIGCHLD);
        ::sigprocmask(SIG_BLOCK, &wanted, nullptr);
        ::signal(SIGCHLD, SIG_DFL);  // an ignored SIGCHLD would never be reported
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        pid_t service = ::getppid() == test ? ::fork() : -1;
        if (service == 0) {
            ::sigprocmask(SIG_UNBLOCK, &wanted, nullptr);
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int quiet = ::open("/dev/null", O_WRONLY);
            if (quiet >= 0) ::dup2(quiet, 2);
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[0]);
        ::close(out[1]);
        // SIGTERM comes from stop() or from the test process's death.
        for (int signal = 0; service > 0 && signal != SIGTERM;) {
            ::sigwait(&wanted, &signal);
            if (signal == SIGCHLD && ::waitpid(service, nullptr, WNOHANG) == service) service = -1;
        }
        if (service > 0) {
            ::kill(service, SIGTERM);
            ::waitpid(service, nullptr, 0);
        }
        if (own && ::getppid() != test) remove_tree(data_dir_);
        ::_exit(0);
    }
    ::close(out[1]);
    // Byte by byte with a bounded wait, so a silent service cannot hang the test.
    char c;
    while (first_line_.size() < 200) {
        pollfd p{out[0], POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0 || ::read(out[0], &c, 1) != 1 || c == '\n') break;
        first_line_ += c;
    }
    ::close(out[0]);
    int http = 0, game = 0;
    char tail = 0;
    // Exactly the expected line: two numbers and nothing after them.
    if (std::sscanf(first_line_.c_str(), "rx_service listening http=%d game=%d%c", &http, &game,
                    &tail) == 2 &&
        first_line_ ==
            "rx_service listening http=" + std::to_string(http) + " game=" + std::to_string(game)) {
        http_port_ = http;
        game_port_ = game;
    }
}

service_process::~service_process() {
    stop();
    if (own_data_) remove_tree(data_dir_);
}

void service_process::stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::string stored_save(const std::string& data_dir, const std::string& user,
                        const std::string& name) {
    const std::string command = "'" + program_dir() + "/rx_service' --data '" + data_dir +
                                "' --export-save '" + user + "' '" + name + "' 1 2>/dev/null";
    FILE* out = ::popen(command.c_str(), "r");
    if (!out) return {};
    std::string bytes;
    char chunk[4096];
    while (std::size_t n = std::fread(chunk, 1, sizeof chunk, out)) bytes.append(chunk, n);
    return ::pclose(out) == 0 ? bytes : std::string();
}

long service_status(const std::string& data_dir, const std::string& key) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream cmdline(entry.path() / "cmdline");
        std::stringstream args;
        args << cmdline.rdbuf();
        if (args.str().find(data_dir + '\0') == std::string::npos ||
            args.str().find("rx_service") == std::string::npos)
            continue;
        std::ifstream status(entry.path() / "status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + key.size());
    }
    return -1;
}

}  // namespace rx::test
