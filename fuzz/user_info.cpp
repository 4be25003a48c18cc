// Fuzz target: userinfo.dat as found on disk, and writing back what was read.
#include "browser/base/logic/user_info.h"

#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_input.h"

namespace {

bool same(const rx::user_info& a, const rx::user_info& b) {
    return a.user_name == b.user_name && a.password == b.password &&
           a.account_kind == b.account_kind && a.last_system == b.last_system &&
           a.save_login == b.save_login && a.auto_login == b.auto_login &&
           a.name_filter == b.name_filter && a.fullscreen == b.fullscreen;
}

// Fields the file's plain "||" separators can carry: a name filter holding "||" or ending in "|"
// cannot be told from the separator after it, and numbers keep four characters.
bool representable(const rx::user_info& info) {
    for (int n :
         {info.account_kind, info.last_system, info.save_login, info.auto_login, info.fullscreen}) {
        if (n < -999 || n > 9999) return false;
    }
    const std::string& filter = info.name_filter;
    if (filter.find("||") != std::string::npos || (!filter.empty() && filter.back() == '|'))
        return false;
    for (const std::wstring* name : {&info.user_name, &info.password}) {
        for (wchar_t c : *name) {
            // The box takes Latin-1 only; other units may pair into a separator.
            if (static_cast<unsigned long>(c) > 0xff) return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const rx::user_info info = rx::decode_user_info(bytes);
    if (representable(info)) {
        const std::string written = rx::encode_user_info(info);
        if (written.size() <= rx::user_info_read_size) {
            rx::fuzz::check(same(rx::decode_user_info(written), info),
                            "a record read back after writing is the same record");
        }
    }
    return 0;
}
