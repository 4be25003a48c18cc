// Runs the stand-in service rx_service on free loopback ports for one test and stops it afterwards.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace rx_test {

class service_process {
  public:
    // Extra arguments such as {"--fault", "version=4.3"}; the request log goes to `request_log`.
    service_process(const std::string& request_log, const std::vector<std::string>& extra = {}) {
        const std::string program = std::string(RX_PROGRAM_DIR) + "/rx_service";
        std::vector<std::string> args = {program,
                                         "--data",
                                         std::string(RX_PROGRAM_DIR) + "/service",
                                         "--http-port",
                                         "0",
                                         "--game-port",
                                         "0",
                                         "--host",
                                         "localhost",
                                         "--request-log",
                                         request_log};
        args.insert(args.end(), extra.begin(), extra.end());
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            // The service ends with whoever started it, also when that is a test child that exits
            // at once.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int quiet = open("/dev/null", O_WRONLY);
            if (quiet >= 0) dup2(quiet, 2);
            dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        ::close(out[1]);
        output_ = fdopen(out[0], "r");
        char line[256] = {};
        if (output_ && std::fgets(line, sizeof line, output_)) {
            unsigned http = 0;
            unsigned game = 0;
            if (std::sscanf(line, "rx_service listening http=%u game=%u", &http, &game) == 2) {
                http_port_ = static_cast<int>(http);
                game_port_ = static_cast<int>(game);
            }
        }
    }

    ~service_process() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
        if (output_) std::fclose(output_);
    }

    service_process(const service_process&) = delete;
    service_process& operator=(const service_process&) = delete;

    bool running() const { return http_port_ > 0; }
    int http_port() const { return http_port_; }
    int game_port() const { return game_port_; }
    std::string web_host() const { return "localhost:" + std::to_string(http_port_); }

  private:
    pid_t pid_ = -1;
    FILE* output_ = nullptr;
    int http_port_ = 0;
    int game_port_ = 0;
};

}  // namespace rx_test
