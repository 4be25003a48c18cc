// Whole-file reads and atomic file replacement: the one way the programs rewrite a settings file.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace rx::platform {

// No settings file the programs edit comes near this; a bigger one is refused rather than
// half-read.
inline constexpr std::size_t default_read_cap = 16u * 1024u * 1024u;

enum class read_status { ok, missing, too_large, failed };

// Reads the whole file into `bytes` (binary, nothing translated). On anything but ok `bytes` is
// left empty.
read_status read_whole_file(const std::string& path, std::string& bytes,
                            std::size_t cap = default_read_cap);

// Replaces `path` with `bytes` so that a crash or a failure can never leave a half-written file:
// the bytes go to a temporary file in the same folder, every write checked, flushed to disk, and
// that file is renamed over the original. The original's permissions are kept and a new file gets
// `new_file_mode` (POSIX mode bits; Windows ignores them), unless `force_mode`, which gives the
// file `new_file_mode` from its first byte whatever it had (a file holding a password or a key;
// on Windows a forced mode without group or other bits makes a new file its owner's alone). On
// failure the temporary file is removed, the original is untouched, and the result names the step
// that failed ("" on success). Should Windows' replace remove the original and then fail, the new
// file is put at the path and the result is "": after any failure a whole file is there.
std::string replace_file(const std::string& path, std::string_view bytes,
                         unsigned new_file_mode = 0644, bool force_mode = false);

// Tests make one step of the next replace_file calls fail, as a full disk or a locked file would.
enum class replace_step { none, create, write, flush, rename };
void fail_replace_step_for_testing(replace_step step);

// Tests see each step of replace_file as it is taken (every write call, the flush to disk, the
// rename), so they can check the bytes reach the disk before the new file takes the old one's
// place. nullptr stops it.
void watch_replace_steps_for_testing(void (*watch)(replace_step));

// Windows replaces an existing file with one call (ReplaceFileA) that can fail half way. Tests
// stand in for it to play such failures: `call` gets the target, the replacement and the name for
// the original's backup, leaves the files as the system would and returns 0 or the system's error
// code. nullptr restores the system's call. The POSIX rename is a single step and uses no such
// call.
using system_replace = unsigned long (*)(const std::string& target, const std::string& replacement,
                                         const std::string& backup);
void set_system_replace_for_testing(system_replace call);

}  // namespace rx::platform
