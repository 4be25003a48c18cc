// The update manifest: parsing the reply and checking every entry before anything is fetched.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rx::updater {

// The largest total the byte counter ("%i / %i") can show.
inline constexpr std::uint64_t max_total = 2147483647u;
// The total only drives the counter and the bar, so downloads may bring more than it says, but not
// without end: past four times the total plus this margin in all the update stops.
inline constexpr std::uint64_t default_download_margin = 256ull * 1024 * 1024;
// No single download may bring more than this, whatever the total (no file of the program comes
// near it).
inline constexpr std::uint64_t max_file_download = 1024ull * 1024 * 1024;

struct manifest {
    std::uint64_t total = 0;
    std::vector<std::string> entries;  // in manifest order, each "/folder/name.ext.gz"
};

struct manifest_result {
    std::optional<manifest> value;
    std::string reason;  // why the manifest was refused
};

// Bytes the downloads of one update may bring in all.
std::uint64_t download_limit(std::uint64_t total, std::uint64_t margin);

// Reads the reply (text before the first "filesize:" is the HTTP header and ignored): the total up
// to the first line feed, then one entry per line; a last line without a line feed is not an
// entry. The total only drives the counter, so any count is believed, blanks and a carriage return
// around it included. The manifest is refused whole when the total is missing or not a number in
// range, when there is no entry, when an entry is not a safe relative path or longer than
// `max_entry_length`, or when two entries install to the same file or one installs where another
// needs a folder (compared without case, as Windows does).
manifest_result parse_manifest(std::string_view reply, std::size_t max_entry_length);

// Why `entry` may not be installed, or "" when it may.
std::string entry_problem(std::string_view entry);

// A location is a plain version text such as "v4.30": letters, digits, '.', '_', '-'.
bool valid_location(std::string_view location);

// "/images/b.png.gz" -> "images/b.png": where the entry installs, relative to the program folder.
std::string installed_path(std::string_view entry);

// Names Windows keeps for devices (CON, NUL, COM1, LPT1, ...) whatever extension follows.
bool reserved_device_name(std::string_view component);

// The counter text "done / total".
std::string counter_text(std::int64_t done, std::int64_t total);

// Left edge of the bar image's view: 600 with nothing done, 0 when all is done; a total of 0 shows
// a full bar and the view never leaves the image.
int bar_view_x(std::int64_t done, std::int64_t total);

}  // namespace rx::updater
