// Test harness for rxlib: child processes, temporary program folders, rx_service and a scripted web
// host.
#include "harness.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

namespace fs = std::filesystem;

namespace rx::test {

run_result run(const std::vector<std::string>& argv, const std::vector<std::string>& env,
               unsigned timeout_ms) {
    run_result result;
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) return result;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipe_fds[1], 1);
        dup2(pipe_fds[1], 2);
        close(pipe_fds[0]);
        close(pipe_fds[1]);
        for (const std::string& e : env) putenv(strdup(e.c_str()));
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(pipe_fds[1]);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    char buffer[4096];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timed_out = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd p{pipe_fds[0], POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        ssize_t n = read(pipe_fds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        result.output.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipe_fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

background::background(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                       const std::string& output_file) {
    pid_ = fork();
    if (pid_ == 0) {
        int fd = open(output_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
            close(fd);
        }
        for (const std::string& e : env) putenv(strdup(e.c_str()));
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
}

background::~background() {
    if (pid_ > 0 && running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool background::running() {
    if (ended_ || pid_ <= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        ended_ = true;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return false;
    }
    return true;
}

int background::wait(unsigned timeout_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (running() && std::chrono::steady_clock::now() < deadline) usleep(20000);
    return ended_ ? status_ : -1;
}

host_folder::host_folder() : path_(make_temp_dir("rxlib_test")) {
    fs::copy_file(program_dir() + "/rx_host", path_ + "/rx_host");
    fs::copy_file(program_dir() + "/librxlib.so", path_ + "/librxlib.so");
}

host_folder::~host_folder() {
    remove_tree(path_);
}

std::string host_folder::log() const {
    return read_file(path_ + "/rxlib_error_log.txt");
}
std::string host_folder::read(const std::string& name) const {
    return read_file(path_ + "/" + name);
}
void host_folder::write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ + "/" + name, std::ios::binary) << bytes;
}

std::vector<std::string> service_env(const service_process& service) {
    return {"RELICADE_WEB_HOST=127.0.0.1:" + std::to_string(service.http_port()),
            "RELICADE_GAME_PORT=" + std::to_string(service.game_port()),
            "RELICADE_FALLBACK_ADDRESS=127.0.0.1"};
}

std::string service_get(const service_process& service, const std::string& target) {
    return exchange(service.http_port(), "GET " + target + " HTTP/1.0\nHost: localhost\n\n");
}

fake_web::fake_web(std::vector<std::string> bodies) : bodies_(std::move(bodies)) {
    listener_ = listen_loopback(port_);
    thread_ = std::thread([this] { serve(); });
}

fake_game::fake_game(std::vector<std::string> replies, int stream_after, std::string stream)
    : replies_(std::move(replies)), stream_after_(stream_after), stream_(std::move(stream)) {
    listener_ = listen_loopback(port_);
    thread_ = std::thread([this] { serve(); });
}

fake_game::~fake_game() {
    stop_ = true;
    thread_.join();
    close(listener_);
}

std::vector<std::string> fake_game::tokens() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return tokens_;
}

std::vector<std::string> fake_game::tokens_when(std::size_t count, int timeout_ms) const {
    std::unique_lock<std::mutex> lock(mutex_);
    token_arrived_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                            [&] { return tokens_.size() >= count; });
    return tokens_;
}

void fake_game::serve() {
    std::size_t next = 0;
    while (!stop_) {
        pollfd p{listener_, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        int fd = accept(listener_, nullptr, nullptr);
        if (fd < 0) continue;
        std::string token;
        char c;
        pollfd q{fd, POLLIN, 0};
        bool reset_pending = false;
        while (!stop_) {
            if (poll(&q, 1, 50) <= 0) continue;
            if (recv(fd, &c, 1, 0) != 1) break;
            if (reset_pending) {
                // An abortive close while the client is still sending: its next send meets a reset.
                linger hard{1, 0};
                setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
                break;
            }
            if (c != '\0') {
                token += c;
                continue;
            }
            int index;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                tokens_.push_back(token);
                index = static_cast<int>(tokens_.size()) - 1;
            }
            token_arrived_.notify_all();
            if (index == stream_after_) {
                send(fd, stream_.data(), stream_.size(), MSG_NOSIGNAL);
            } else if (next < replies_.size()) {
                const std::string& r = replies_[next++];
                if (!r.empty()) send(fd, r.data(), r.size() + 1, MSG_NOSIGNAL);
            }
            token.clear();
            if (index == reset_after_) reset_pending = true;
        }
        close(fd);
    }
}

fake_web::~fake_web() {
    stop_ = true;
    thread_.join();
    close(listener_);
}

std::vector<std::string> fake_web::requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void fake_web::serve() {
    std::size_t next = 0;
    while (!stop_) {
        pollfd p{listener_, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        int fd = accept(listener_, nullptr, nullptr);
        if (fd < 0) continue;
        // The request ends with "\n\n" and its NUL.
        std::string request;
        char c;
        pollfd q{fd, POLLIN, 0};
        while (poll(&q, 1, 2000) > 0 && recv(fd, &c, 1, 0) == 1) {
            if (c == '\0') break;
            request += c;
        }
        std::string body = next < bodies_.size() ? bodies_[next]
                           : bodies_.empty()     ? "1"
                                                 : bodies_.back();
        ++next;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
        }
        std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body;
        send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
        close(fd);
    }
}

}  // namespace rx::test
