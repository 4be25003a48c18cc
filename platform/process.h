// Starting, watching and ending other processes, and opening URLs in the user's web browser.
#pragma once
#include <cstdint>
#include <string>

namespace rx::platform {

// Opaque process handle: a pid on POSIX, a HANDLE on Windows; 0 means none.
using process_handle = std::intptr_t;

// The seam the browser uses for every process it starts, so tests can substitute a recorder.
class process_runner {
  public:
    virtual ~process_runner() = default;
    // Starts `program` with the parameter text as Windows would hand it to the program's command
    // line (on POSIX split at blanks into arguments). Returns 0 when the start failed.
    virtual process_handle start(const std::string& program, const std::string& parameters) = 0;
    // True only while the process has not ended.
    virtual bool is_running(process_handle process) = 0;
    // Ends the process with `exit_code`; false with `error` set to the system error code on
    // failure.
    virtual bool terminate(process_handle process, int exit_code, int& error) = 0;
    // Releases the handle (reaps the child on POSIX).
    virtual void close(process_handle process) = 0;
    // Starts a program and forgets it (the updater, the browser after an update).
    virtual bool start_detached(const std::string& program, const std::string& parameters) = 0;
    // Opens a URL in the user's web browser ($BROWSER, else xdg-open; ShellExecuteA on Windows).
    virtual bool open_url(const std::string& url) = 0;
};

// The real implementation for this platform.
process_runner& system_processes();

// The runner the program logic uses; tests may install a fake (pass nullptr to restore the real
// one).
process_runner& processes();
void set_processes(process_runner* runner);

// Runs `program` with `argument` in place of this process, which the caller's watcher keeps seeing
// (on Windows the program is started and this process ends). Returns only when it could not start.
bool run_instead(const std::string& program, const std::string& argument);

// Ends this process at once with `code`, without running static destructors of other threads' data.
[[noreturn]] void exit_process(int code);

// Sends this process's standard output nowhere from here on, for programs that load libraries
// which print to it and must keep it clean.
void discard_standard_output();

// Environment access for the settings the programs read (and SDL's window placement hints).
std::string get_environment(const char* name);
void set_environment(const char* name, const char* value);

}  // namespace rx::platform
