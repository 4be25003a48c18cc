// Processes on Windows: shell starts, exit codes and TerminateProcess behind process_runner.
// clang-format off
#include <windows.h>
#include <shellapi.h>  // needs windows.h first
// clang-format on
#include <stdlib.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "platform/process.h"

namespace rx::platform {

namespace {

// ShellExecuteA reports success as a value above 32.
bool shell_started(HINSTANCE result) {
    return reinterpret_cast<INT_PTR>(result) > 32;
}

class win32_processes final : public process_runner {
  public:
    process_handle start(const std::string& program, const std::string& parameters) override {
        SHELLEXECUTEINFOA info{};
        info.cbSize = sizeof info;
        // No shell error box: a missing emulator comes back as a failed start, which the browser
        // reports itself, instead of a modal box over a window that is about to iconify.
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        info.hwnd = nullptr;
        info.lpVerb = "open";
        info.lpFile = program.c_str();
        info.lpParameters = parameters.c_str();
        info.lpDirectory = nullptr;
        info.nShow = SW_RESTORE;
        if (!ShellExecuteExA(&info)) return 0;
        return reinterpret_cast<process_handle>(info.hProcess);
    }

    bool is_running(process_handle process) override {
        if (process == 0) return false;
        DWORD code = 0;
        return GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &code) && code == STILL_ACTIVE;
    }

    bool terminate(process_handle process, int exit_code, int& error) override {
        if (process == 0) {
            error = ERROR_INVALID_HANDLE;
            return false;
        }
        if (!TerminateProcess(reinterpret_cast<HANDLE>(process), static_cast<UINT>(exit_code))) {
            error = static_cast<int>(GetLastError());
            return false;
        }
        error = 0;
        return true;
    }

    void close(process_handle process) override {
        if (process != 0) CloseHandle(reinterpret_cast<HANDLE>(process));
    }

    bool start_detached(const std::string& program, const std::string& parameters) override {
        return shell_started(ShellExecuteA(nullptr, "open", program.c_str(),
                                           parameters.empty() ? nullptr : parameters.c_str(),
                                           nullptr, SW_RESTORE));
    }

    bool open_url(const std::string& url) override {
        return shell_started(
            ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    }
};

}  // namespace

process_runner& system_processes() {
    static win32_processes runner;
    return runner;
}

bool run_instead(const std::string& program, const std::string& argument) {
    if (!system_processes().start_detached(program, argument)) return false;
    exit_process(0);
}

void exit_process(int code) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    ExitProcess(static_cast<UINT>(code));
}

void discard_standard_output() {
    std::fflush(stdout);
    std::freopen("NUL", "w", stdout);
}

void set_environment(const char* name, const char* value) {
    if (name == nullptr || name[0] == '\0') return;
    // The C runtime's copy serves getenv; the process block serves SDL and started programs.
    std::string assignment = std::string(name) + "=" + (value != nullptr ? value : "");
    _putenv(assignment.c_str());
    SetEnvironmentVariableA(name, value);
}

}  // namespace rx::platform
