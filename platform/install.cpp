// The all-or-nothing swap of a set of files, shared by both platforms' moves.
#include "platform/install.h"

#include <atomic>

namespace rx::platform {

namespace {

std::atomic<int> injected_move_failure{0};

// A name beside `path` that nothing uses yet, for the old file while the new one moves in.
std::string free_name_beside(const std::string& path) {
    for (int n = 0;; ++n) {
        std::string candidate = path + ".rx_old" + (n == 0 ? std::string() : std::to_string(n));
        if (kind_of(candidate) == path_kind::missing) return candidate;
    }
}

struct swap_step {
    const file_swap* swap = nullptr;
    std::string backup;
    bool old_moved = false;
    bool new_moved = false;
};

// Puts back every step in reverse order; false when something could not be put back.
bool put_back(std::vector<swap_step>& steps) {
    bool all = true;
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
        if (it->new_moved && !move_file(it->swap->target, it->swap->staged)) {
            if (!remove_file(it->swap->target)) all = false;
        }
        if (it->old_moved && !move_file(it->backup, it->swap->target)) all = false;
    }
    return all;
}

}  // namespace

void fail_swap_move_for_testing(int n) {
    injected_move_failure = n;
}

std::string swap_in_files(const std::vector<file_swap>& swaps) {
    std::vector<swap_step> steps;
    steps.reserve(swaps.size());
    int moves = 0;
    auto move = [&](const std::string& from, const std::string& to) {
        ++moves;
        if (injected_move_failure.load() == moves) return false;
        return move_file(from, to);
    };

    std::string failure;
    for (const file_swap& swap : swaps) {
        swap_step step;
        step.swap = &swap;
        const path_kind kind = kind_of(swap.target);
        if (kind == path_kind::folder || kind == path_kind::other) {
            failure = "not a plain file: " + swap.target;
            break;
        }
        if (kind == path_kind::file) {
            step.backup = free_name_beside(swap.target);
            if (!move(swap.target, step.backup)) {
                failure = "moving aside " + swap.target;
                break;
            }
            step.old_moved = true;
        }
        if (!move(swap.staged, swap.target)) {
            failure = "moving in " + swap.target;
            steps.push_back(step);
            break;
        }
        step.new_moved = true;
        steps.push_back(step);
    }

    if (failure.empty()) {
        // The old files are no longer needed; a running program's old file may refuse to go.
        for (const swap_step& step : steps)
            if (step.old_moved) remove_file(step.backup);
        return "";
    }
    if (!put_back(steps)) failure += " (and some files could not be put back)";
    return failure;
}

}  // namespace rx::platform
