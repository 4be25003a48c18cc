// Test support: the real rx_service on free loopback ports, stopped afterwards.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

#include "files.h"

namespace rx::test {

class service_process {
  public:
    // Starts rx_service --data DIR --http-port 0 --game-port 0 followed by `extra` and reads its
    // first line (bounded wait). With `test_hooks` (the default) it also passes --test-hooks and
    // the cheapest password hashes, so tests can steer it and start it quickly; without, it runs
    // as an operator runs it. DIR is `data_dir`, or when that is empty a fresh temporary folder
    // that is removed with the object, so no test writes into the read-only sample. The service's
    // standard error is discarded and it ends with the process that started it.
    explicit service_process(const std::vector<std::string>& extra = {},
                             const std::string& data_dir = {}, bool test_hooks = true);
    ~service_process();
    service_process(const service_process&) = delete;
    service_process& operator=(const service_process&) = delete;

    // Terminates the service and waits for it; the data folder stays until destruction.
    void stop();

    // True when the first line was exactly "rx_service listening http=PORT game=PORT".
    bool started() const { return http_port_ > 0 && game_port_ > 0; }
    const std::string& first_line() const { return first_line_; }
    int http_port() const { return http_port_; }
    int game_port() const { return game_port_; }
    // The web host as the clients name it: "localhost:PORT".
    std::string web_host() const { return "localhost:" + std::to_string(http_port_); }
    const std::string& data_dir() const { return data_dir_; }

  private:
    pid_t pid_ = -1;
    int http_port_ = 0;
    int game_port_ = 0;
    std::string first_line_;
    std::string data_dir_;
    bool own_data_ = false;
};

// The current bytes of `user`'s save `name` as the service at `data_dir` keeps it, read with the
// operator's --export-save; "" when there is none.
std::string stored_save(const std::string& data_dir, const std::string& user,
                        const std::string& name);

// A line of /proc/PID/status of the rx_service whose command line names `data_dir` ("VmRSS:",
// "Threads:"), as a number (kB for sizes); -1 when no such process is found.
long service_status(const std::string& data_dir, const std::string& key);

}  // namespace rx::test
