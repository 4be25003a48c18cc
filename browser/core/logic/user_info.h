// The saved login and settings record and its userinfo.dat byte codec (display-free).
#pragma once
#include <cstdint>
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

// The file's exact bytes: eight fields split by "||", UTF-16LE names, 4-byte NUL-padded numbers.
std::string encode_user_info(const user_info& info);

// Reads the file's bytes as the program always has: the first 1024 bytes, zero padded, cut at "||".
// Never reads past `bytes`; short or garbled input gives empty or partial fields.
user_info decode_user_info(std::string_view bytes);

}  // namespace rx
