// The saved login and settings record and its userinfo.dat byte codec (display-free).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rx {

struct user_info {
    std::wstring user_name;
    std::wstring password;
    int account_kind = 0;
    int last_system = 0;
    int save_login = 0;
    int auto_login = 0;
    std::string name_filter;
    int fullscreen = 0;
};

// The name filter as the file can keep it: the fields are cut at "||" and the filter ends where
// the next separator starts, so a run of "|" becomes one and a "|" at its end, like a NUL, is
// dropped. Every filter is taken through this when it is entered and when it is written.
std::string storable_name_filter(std::string_view filter);

// The file's exact bytes: eight fields split by "||", UTF-16LE names, 4-byte NUL-padded numbers.
std::string encode_user_info(const user_info& info);

// Reads the file's bytes as the program always has: the first 1024 bytes, zero padded, cut at "||".
// Never reads past `bytes`; short or garbled input gives empty or partial fields.
user_info decode_user_info(std::string_view bytes);

// How many bytes of the file the program reads; anything after them is ignored.
inline constexpr std::size_t user_info_read_size = 1024;

// The record in the file at `path`; nullopt when the file cannot be opened (a missing file is no
// record).
std::optional<user_info> read_user_info_file(const std::string& path);

// Replaces the file at `path` through a temporary file beside it and a rename, so a failed write
// never leaves a cut record; on POSIX only the owner may read it (it holds the password). False on
// failure.
bool write_user_info_file(const std::string& path, const user_info& info);

// Deletes the file; a missing file is no error. False only when a present file could not be
// removed.
bool remove_user_info_file(const std::string& path);

}  // namespace rx
