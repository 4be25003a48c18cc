// Processes on POSIX: posix_spawn, waitpid and SIGKILL behind the process_runner seam.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/process.h"

extern char** environ;

namespace rx::platform {

namespace {

std::vector<std::string> split_parameters(const std::string& parameters) {
    std::vector<std::string> words;
    std::string word;
    for (char c : parameters) {
        if (c == ' ' || c == '\t') {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

// Spawns program with argv = program, args...; a name without '/' is looked up on PATH.
pid_t spawn(const std::string& program, const std::vector<std::string>& args, bool own_session) {
    if (program.empty()) return 0;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawnattr_t attr;
    if (posix_spawnattr_init(&attr) != 0) return 0;
    // The child starts with default signal handling whatever this program has set up.
    sigset_t all;
    sigfillset(&all);
    sigset_t none;
    sigemptyset(&none);
    short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
#ifdef POSIX_SPAWN_SETSID
    // Programs we forget about must outlive us and not share our terminal's signals.
    if (own_session) flags |= POSIX_SPAWN_SETSID;
#else
    (void)own_session;
#endif
    posix_spawnattr_setflags(&attr, flags);

    // Our sockets and files are not the child's business: a started program holding them open would
    // keep connections alive after we close them.
    posix_spawn_file_actions_t actions;
    bool have_actions = posix_spawn_file_actions_init(&actions) == 0;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    if (have_actions) posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif

    pid_t pid = 0;
    const posix_spawn_file_actions_t* file_actions = have_actions ? &actions : nullptr;
    int rc = program.find('/') != std::string::npos
                 ? posix_spawn(&pid, program.c_str(), file_actions, &attr, argv.data(), environ)
                 : posix_spawnp(&pid, program.c_str(), file_actions, &attr, argv.data(), environ);
    if (have_actions) posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    return rc == 0 ? pid : 0;
}

// A child we no longer watch is waited for on a thread of its own, so it never lingers as a zombie
// and the caller never blocks.
void reap_in_background(pid_t pid) {
    try {
        std::thread([pid] {
            int status = 0;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (...) {
        // Without a thread the child is reaped when this program ends.
    }
}

class posix_processes final : public process_runner {
  public:
    process_handle start(const std::string& program, const std::string& parameters) override {
        pid_t pid = spawn(program, split_parameters(parameters), false);
        if (pid <= 0) return 0;
        std::lock_guard<std::mutex> lock(mutex_);
        children_.insert(pid);
        ended_.erase(pid);
        return pid;
    }

    bool is_running(process_handle process) override {
        if (process <= 0) return false;
        std::lock_guard<std::mutex> lock(mutex_);
        return poll_locked(static_cast<pid_t>(process));
    }

    bool terminate(process_handle process, int exit_code, int& error) override {
        (void)exit_code;  // a killed POSIX process reports the signal, not a chosen code
        if (process <= 0) {
            // kill(0) or kill(-1) would reach our whole process group or every process we may
            // signal.
            error = ESRCH;
            return false;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        pid_t pid = static_cast<pid_t>(process);
        // A child already reaped may have had its pid reused by an unrelated process: never signal
        // it.
        if (!poll_locked(pid)) {
            error = ESRCH;
            return false;
        }
        if (kill(pid, SIGKILL) != 0) {
            error = errno;
            return false;
        }
        error = 0;
        return true;
    }

    void close(process_handle process) override {
        if (process <= 0) return;
        pid_t pid = static_cast<pid_t>(process);
        std::lock_guard<std::mutex> lock(mutex_);
        bool ours = children_.count(pid) != 0;
        bool running = ours && poll_locked(pid);
        children_.erase(pid);
        ended_.erase(pid);
        if (running) reap_in_background(pid);
    }

    bool start_detached(const std::string& program, const std::string& parameters) override {
        pid_t pid = spawn(program, split_parameters(parameters), true);
        if (pid <= 0) return false;
        reap_in_background(pid);
        return true;
    }

    bool open_url(const std::string& url) override {
        std::string browser = get_environment("BROWSER");
        if (browser.empty()) return start_with_url("xdg-open", url);
        if (start_with_url(browser, url)) return true;
        // By convention $BROWSER may list several programs separated by ':'; the first that starts
        // wins.
        if (browser.find(':') == std::string::npos) return false;
        std::size_t begin = 0;
        for (;;) {
            std::size_t end = browser.find(':', begin);
            std::string candidate =
                browser.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
            if (!candidate.empty() && start_with_url(candidate, url)) return true;
            if (end == std::string::npos) break;
            begin = end + 1;
        }
        return false;
    }

  private:
    // The URL is one argument of its own: no shell ever sees it.
    static bool start_with_url(const std::string& program, const std::string& url) {
        pid_t pid = spawn(program, {url}, true);
        if (pid <= 0) return false;
        reap_in_background(pid);
        return true;
    }

    // True while the child runs; reaps it on the first poll that finds it ended. Caller holds
    // mutex_.
    bool poll_locked(pid_t pid) {
        if (ended_.count(pid) != 0) return false;
        // Only our own unclosed children are known: any other pid may belong to an unrelated
        // process.
        if (children_.count(pid) == 0) return false;
        int status = 0;
        pid_t r;
        do {
            r = waitpid(pid, &status, WNOHANG);
        } while (r < 0 && errno == EINTR);
        if (r == 0) return true;
        // Reaped now, or reaped by someone else (ECHILD, e.g. SIGCHLD ignored): either way it has
        // ended.
        ended_.insert(pid);
        return false;
    }

    std::mutex mutex_;
    std::set<pid_t> children_;  // started by start() and not yet closed
    std::set<pid_t> ended_;     // of those, the ones seen ended and reaped
};

}  // namespace

process_runner& system_processes() {
    static posix_processes runner;
    return runner;
}

bool run_instead(const std::string& program, const std::string& argument) {
    std::fflush(nullptr);
    char* const arguments[] = {const_cast<char*>(program.c_str()),
                               const_cast<char*>(argument.c_str()), nullptr};
    execv(program.c_str(), arguments);
    return false;
}

void exit_process(int code) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    _exit(code);
}

void discard_standard_output() {
    std::fflush(stdout);
    int null_device = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null_device < 0) return;
    dup2(null_device, STDOUT_FILENO);
    close(null_device);
}

void set_environment(const char* name, const char* value) {
    if (name == nullptr || name[0] == '\0') return;
    if (value == nullptr) {
        unsetenv(name);
    } else {
        setenv(name, value, 1);
    }
}

}  // namespace rx::platform
