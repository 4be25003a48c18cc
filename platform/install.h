// Installing files: folders, moving files over others with a way back, and the swap of a whole set.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rx::platform {

enum class path_kind { missing, file, folder, other };

// What stands at `path`, without following a link there (a link or device is `other`).
path_kind kind_of(const std::string& path);

// Creates `path` and every missing folder above it. The folders made are appended to `created`
// (outermost first) so a failed installation can take them back. False when a folder cannot be made
// or something that is not a folder stands in the way.
bool create_folders(const std::string& path, std::vector<std::string>* created);

// Removes a file / an empty folder; false when it could not be removed.
bool remove_file(const std::string& path);
bool remove_empty_folder(const std::string& path);

// Renames `from` to `to` on the same volume, replacing a file at `to`, and makes the change
// durable. Windows refuses to replace a running program's file but lets it be renamed, so callers
// move the old file aside first.
bool move_file(const std::string& from, const std::string& to);

// POSIX permission bits of the file at `path` (0 when there is none; Windows has none).
unsigned file_mode(const std::string& path);

// A new file written in steps and made durable before it is closed: the way every installed byte
// reaches the disk.
class output_file {
  public:
    output_file() = default;
    ~output_file();
    output_file(const output_file&) = delete;
    output_file& operator=(const output_file&) = delete;

    // Creates `path`, which must not exist yet, with POSIX mode bits `mode`.
    bool create(const std::string& path, unsigned mode = 0644);
    // Every byte or false (a full disk is a short write).
    bool write(const char* data, std::size_t size);
    // Closes, first flushing to the disk when `durable`; false when either fails.
    bool finish(bool durable = true);
    // Closes without flushing (the file stays; the caller removes it).
    void abandon();
    bool is_open() const;

  private:
    std::intptr_t handle_ = -1;
};

// One file of an installation: the ready file beside its target, and the target.
struct file_swap {
    std::string staged;
    std::string target;
};

// Moves every staged file over its target in order, each existing target first moved aside under a
// free name beside it. When any move fails, every target swapped so far is put back as it was (new
// files removed, old files returned) and the staged files are left for the caller. On success the
// set-aside old files are removed; one that cannot be removed yet (the running program's own file
// on Windows) stays. Returns "" on success, else what failed.
std::string swap_in_files(const std::vector<file_swap>& swaps);

// Tests make the n-th move (1-based) of later swap_in_files calls fail, as a locked file would;
// 0 turns it off.
void fail_swap_move_for_testing(int n);

}  // namespace rx::platform
