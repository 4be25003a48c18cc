// Test harness: temporary program folders, child processes with captured output, rx_service's
// environment and scripted web and game hosts.
#pragma once
#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "files.h"
#include "loopback.h"
#include "service_process.h"

namespace rx::test {

struct run_result {
    int exit_code = -1;  // -1 when killed by a signal or timed out
    int signal = 0;
    bool timed_out = false;
    std::string output;  // stdout and stderr together
};

// Runs `argv` with extra environment entries ("NAME=value"), capturing its output, within
// `timeout_ms`.
run_result run(const std::vector<std::string>& argv, const std::vector<std::string>& env,
               unsigned timeout_ms);

// A process started in the background with its output going to `output_file`.
class background {
  public:
    background(const std::vector<std::string>& argv, const std::vector<std::string>& env,
               const std::string& output_file);
    ~background();  // kills the process if it is still running
    // Waits up to `timeout_ms` for the end; the exit code, or -1 when it is still running or was
    // killed.
    int wait(unsigned timeout_ms);
    bool running();
    int pid() const { return pid_; }

  private:
    int pid_ = 0;
    int status_ = -1;
    bool ended_ = false;
};

// A fresh folder with copies of rx_host and librxlib.so, so each test has its own log and save
// files.
class host_folder {
  public:
    host_folder();
    ~host_folder();
    const std::string& path() const { return path_; }
    std::string host() const { return path_ + "/rx_host"; }
    std::string log() const;  // rxlib_error_log.txt, empty when none
    std::string read(const std::string& name) const;
    void write(const std::string& name, const std::string& bytes) const;

  private:
    std::string path_;
};

// The environment entries that point rxlib at `service`.
std::vector<std::string> service_env(const service_process& service);
// GET `target` from the service's HTTP port; the whole reply.
std::string service_get(const service_process& service, const std::string& target);

// A minimal HTTP server for the monitor's requests: each request gets the next scripted body.
class fake_web {
  public:
    explicit fake_web(std::vector<std::string> bodies);
    ~fake_web();
    int port() const { return port_; }
    std::vector<std::string> requests() const;

  private:
    void serve();
    int listener_ = -1;
    int port_ = 0;
    std::vector<std::string> bodies_;
    std::vector<std::string> requests_;
    mutable std::mutex mutex_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A scripted game server for one connection at a time: reads each NUL-terminated token, answers
// with the next scripted reply ("" answers nothing); token number `stream_after` (from 0) is
// answered by the raw `stream`.
class fake_game {
  public:
    fake_game(std::vector<std::string> replies, int stream_after = -1, std::string stream = {});
    ~fake_game();
    int port() const { return port_; }
    std::vector<std::string> tokens() const;
    // The tokens once at least `count` have arrived, or what arrived within `timeout_ms`: the
    // client's last token may still be on its way when the call that sent it returns.
    std::vector<std::string> tokens_when(std::size_t count, int timeout_ms = 5000) const;
    // After answering token number `index`, the next byte received is answered by resetting the
    // connection.
    void reset_after(int index) { reset_after_ = index; }

  private:
    void serve();
    int listener_ = -1;
    int port_ = 0;
    std::vector<std::string> replies_;
    int stream_after_ = -1;
    std::atomic<int> reset_after_{-1};
    std::string stream_;
    std::vector<std::string> tokens_;
    mutable std::mutex mutex_;
    mutable std::condition_variable token_arrived_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace rx::test
